// The fast search against the literal one, bit for bit, without a test framework, so that it runs
// on any processor the engine is built for (tests/system/portable/run_aarch64.sh runs it for ARM64 under
// qemu-user): random hard matrices, then a real matrix file.
//   kova_fast_vs_literal MATRIX GENES SAMPLES
// Prints what it compared; exits 1 on the first difference.

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/search/fast_search.hpp"
#include "kova/matrix.hpp"
#include "kova/search.hpp"
#include "tests/support/collecting_sink.hpp"
#include "tests/support/hard_matrices.hpp"

namespace {

using kova::GeneTable;
using kova::test::CollectingSink;

// Whether the fast search with 1 and 2 workers hands out the literal search's biclusters.
bool same(const GeneTable& table, double threshold, std::int32_t maximum, std::size_t& biclusters) {
  CollectingSink literal;
  kova::literal_search(table, threshold, maximum, literal);
  biclusters += literal.biclusters.size();
  for (const int workers : {1, 2}) {
    CollectingSink fast;
    // The search itself, not the front door: the hard matrices try thresholds beyond 1 too.
    kova::fast_search(table, threshold, maximum, fast, {workers, nullptr, {}});
    if (fast.biclusters != literal.biclusters) {
      std::printf("DIFFERENT: %d genes x %d samples, T = %.17g, M = %d, %d workers\n", table.genes(), table.samples(),
                  threshold, maximum, workers);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kova_fast_vs_literal MATRIX GENES SAMPLES\n");
    return 2;
  }
  std::printf("vector width: %d\n", kova::vector_width());
  kova::test::HardMatrices matrices(20240611);
  std::size_t biclusters = 0;
  for (int round = 0; round < 400; ++round) {
    const auto rows = round % 4 == 3 ? matrices.next(30, 40) : matrices.next(10, 9);
    const double threshold = matrices.threshold(rows);
    const std::int32_t maximum = round % 4 == 3 ? 1000 : matrices.maximum();
    if (!same(kova::test::make_table(rows), threshold, maximum, biclusters)) return 1;
  }
  std::printf("400 random hard matrices: the same %zu biclusters\n", biclusters);

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(argv[1], "rb"), std::fclose);
  if (!file) {
    std::printf("cannot open %s\n", argv[1]);
    return 1;
  }
  GeneTable table(std::atoi(argv[2]), std::atoi(argv[3]));
  kova::BlockReader reader(file.get());
  kova::load_matrix(reader, table);
  for (const double threshold : {0.9, 0.7}) {
    biclusters = 0;
    if (!same(table, threshold, 1000000, biclusters)) return 1;
    std::printf("%s at T = %.1f: the same %zu biclusters\n", argv[1], threshold, biclusters);
  }
  return 0;
}
