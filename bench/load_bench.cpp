// Times the engine's matrix loader on real and generated matrices, best of five loads each and the
// first load alone, against the piece-by-piece loader it replaced, measured in the same run, and
// checks that both give the same table bit for bit.
//
//   kova_load_bench [data folder]   default: the project's data/ (tools/make-data.sh makes it)

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/matrix_generator.hpp"
#include "bench/piece_by_piece_loader.hpp"
#include "kova/matrix.hpp"

namespace fs = std::filesystem;

namespace kova::bench {
namespace {

constexpr int kRepeats = 5;
bool failures = false;  // some table differed from the baseline's

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File open(const fs::path& path) {
  File file(std::fopen(path.string().c_str(), "rb"));
  if (!file) throw std::runtime_error("cannot open " + path.string());
  return file;
}

bool same_tables(const GeneTable& a, const GeneTable& b) {
  for (std::int32_t g = 0; g < a.genes(); ++g) {
    if (a[g].name != b[g].name) return false;
    const std::size_t bytes = static_cast<std::size_t>(a.samples()) * sizeof(double);
    if (bytes > 0 && std::memcmp(a[g].values, b[g].values, bytes) != 0) return false;
  }
  return true;
}

struct Timing {
  double first;  // the first load, as a run of the engine does it once
  double best;   // the best of kRepeats
};

// kRepeats loads into fresh tables, in seconds; `last` keeps the last table loaded.
Timing time_loads(const fs::path& path, std::int32_t genes, std::int32_t samples,
                  const std::function<void(std::FILE*, GeneTable&)>& loader, std::unique_ptr<GeneTable>& last) {
  Timing timing{0.0, 1e300};
  for (int r = 0; r < kRepeats; ++r) {
    last = std::make_unique<GeneTable>(genes, samples);
    const File file = open(path);
    const auto start = std::chrono::steady_clock::now();
    loader(file.get(), *last);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (r == 0) timing.first = seconds;
    timing.best = std::min(timing.best, seconds);
  }
  return timing;
}

void bench_file(const std::string& name, const fs::path& path, std::int32_t genes, std::int32_t samples) {
  const double megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
  std::unique_ptr<GeneTable> engine_table, baseline_table;
  const Timing engine = time_loads(path, genes, samples, [](std::FILE* file, GeneTable& table) {
    BlockReader reader(file);
    load_matrix(reader, table);
  }, engine_table);
  const Timing baseline = time_loads(path, genes, samples, [](std::FILE* file, GeneTable& table) {
    if (!load_piece_by_piece(file, table)) throw std::runtime_error("baseline loader failed");
  }, baseline_table);
  const bool same = same_tables(*engine_table, *baseline_table);
  if (!same) failures = true;
  std::printf("%-20s %5.1f MB  loader %4.0f MB/s (first load %4.0f)  piece by piece %4.0f MB/s (first %4.0f)"
              "  ratio %.2f  tables %s\n",
              name.c_str(), megabytes, megabytes / engine.best, megabytes / engine.first, megabytes / baseline.best,
              megabytes / baseline.first, baseline.best / engine.best, same ? "identical" : "DIFFERENT");
}

void bench_real(const fs::path& path, std::int32_t genes, std::int32_t samples) {
  if (!fs::exists(path)) {
    std::printf("%-20s not found, skipped\n", path.filename().string().c_str());
    return;
  }
  bench_file(path.filename().string(), path, genes, samples);
}

void bench_generated(const std::string& name, const GeneratedMatrix& matrix) {
  const fs::path path = fs::temp_directory_path() / ("kova_load_bench_" + name + ".txt");
  {
    File file(std::fopen(path.string().c_str(), "wb"));
    if (!file || std::fwrite(matrix.text.data(), 1, matrix.text.size(), file.get()) != matrix.text.size()) {
      throw std::runtime_error("cannot write " + path.string());
    }
  }
  try {
    bench_file(name, path, matrix.genes, matrix.samples);
  } catch (...) {
    fs::remove(path);
    throw;
  }
  fs::remove(path);
}

}  // namespace
}  // namespace kova::bench

int main(int argc, char** argv) {
  using namespace kova::bench;
  const fs::path data = argc > 1 ? fs::path(argv[1]) : fs::path(KOVA_DATA_DIR);
  std::printf("== matrix loading, best of %d loads each ==\n", kRepeats);
  try {
    bench_real(data / "ALL.txt", 12625, 128);
    bench_real(data / "golub.txt", 3051, 38);
    bench_generated("generated_2000x500", expression_matrix(2000, 500, 1));
    bench_generated("generated_20000x200", expression_matrix(20000, 200, 2));
    bench_generated("zero_rich_5000x300", zero_rich_matrix(5000, 300, 3));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kova_load_bench: error: %s\n", e.what());
    return 1;
  }
  if (failures) std::printf("FAILED: the loader and the piece-by-piece loader gave different tables\n");
  return failures ? 1 : 0;
}
