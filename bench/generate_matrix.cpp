// Writes one of the benchmark's generated matrices to standard output, for whole kova2 runs:
//   kova_generate expression|zero_rich|count_like GENES SAMPLES SEED

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/matrix_generator.hpp"

int main(int argc, char** argv) {
  using namespace kova::bench;
  if (argc != 5) {
    std::fprintf(stderr, "usage: kova_generate expression|zero_rich|count_like GENES SAMPLES SEED\n");
    return 2;
  }
  const std::string kind = argv[1];
  const auto genes = static_cast<std::int32_t>(std::atoi(argv[2]));
  const auto samples = static_cast<std::int32_t>(std::atoi(argv[3]));
  const auto seed = static_cast<std::uint64_t>(std::strtoull(argv[4], nullptr, 10));
  GeneratedMatrix matrix;
  if (kind == "expression") {
    matrix = expression_matrix(genes, samples, seed);
  } else if (kind == "zero_rich") {
    matrix = zero_rich_matrix(genes, samples, seed);
  } else if (kind == "count_like") {
    matrix = count_like_matrix(genes, samples, seed);
  } else {
    std::fprintf(stderr, "kova_generate: error: unknown kind '%s'\n", kind.c_str());
    return 2;
  }
  return std::fwrite(matrix.text.data(), 1, matrix.text.size(), stdout) == matrix.text.size() ? 0 : 1;
}
