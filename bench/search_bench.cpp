// Times the literal and the fast search on the same loaded matrix, in one process, and checks
// that they hand out the same biclusters. Prints loading speed, times, the speed-up at each
// vector width and peak memory.
//
//   kova_bench [--width W]... [data folder [name]]
//     --width W    only this width (512, 256 or 0, the baseline); repeatable; default: every
//                  width this processor has
//     data folder  default: the project's data/ (tools/make-data.sh makes it)
//     name         only the matrices whose name holds it

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/matrix_generator.hpp"
#include "kova/search.hpp"
#include "kova/matrix.hpp"
#include "kova/result_files.hpp"

namespace fs = std::filesystem;

namespace kova::bench {
namespace {

constexpr std::int32_t kMaximum = 1'000'000;
bool failures = false;  // some results differed: literal and fast, worker counts, or repeated runs

// The two result files of a run, rendered in memory by the engine's own writer.
struct Results {
  StringOutput output, report;
  std::int32_t biclusters = 0;
  bool operator==(const Results& other) const {
    return output.text() == other.output.text() && report.text() == other.report.text();
  }
};

using SearchFunction = std::function<std::int32_t(const GeneTable&, BiclusterSink&)>;

// Runs one search into fresh result files; returns its time in seconds.
double timed_run(const GeneTable& table, const SearchFunction& search, Results& results) {
  write_report_header(results.report);
  ResultWriter writer(table, results.output, results.report);
  const auto start = std::chrono::steady_clock::now();
  results.biclusters = search(table, writer);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  writer.write_membership();
  return seconds;
}

// The fast search's time: one run, or where that took under a second, the median of three. A
// first short run after a long one on a single core (the literal search) comes out up to half as
// slow again on some machines, whose idle cores take a while to come up to speed; a long run is
// not disturbed so.
double fast_seconds_of(const GeneTable& table, const SearchFunction& search, Results& results) {
  const double first = timed_run(table, search, results);
  if (first >= 1.0) return first;
  Results second, third;
  double times[3] = {first, timed_run(table, search, second), timed_run(table, search, third)};
  if (!(second == results) || !(third == results)) {
    std::printf("  REPEATED RUNS DIFFER");
    failures = true;
  }
  std::sort(std::begin(times), std::end(times));
  return times[1];
}

double seconds_of(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double peak_mib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

struct Loaded {
  std::unique_ptr<GeneTable> table;
  double mb_per_second;
};

Loaded load(const fs::path& path, std::int32_t genes, std::int32_t samples) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
  if (!file) throw std::runtime_error("cannot open " + path.string());
  auto table = std::make_unique<GeneTable>(genes, samples);
  const double seconds = seconds_of([&] {
    BlockReader reader(file.get());
    load_matrix(reader, *table);
  });
  const double megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
  return {std::move(table), megabytes / seconds};
}

// The first `genes` genes of a table, as a table of their own.
std::unique_ptr<GeneTable> prefix(const GeneTable& table, std::int32_t genes) {
  auto part = std::make_unique<GeneTable>(genes, table.samples());
  for (std::int32_t g = 0; g < genes; ++g) {
    (*part)[g].name = table[g].name;
    const auto row = table.row(g);
    std::copy(row.begin(), row.end(), (*part)[g].values);
  }
  return part;
}

struct Run {
  double threshold;
  std::int32_t literal_genes;  // the literal search runs on this many first genes (all: G; none: 0)
};

std::vector<int> widths;  // the vector widths to measure

std::string width_name(int width) { return width == 0 ? "baseline" : std::to_string(width) + "-bit"; }

void bench_matrix(const std::string& name, const GeneTable& table, double mb_per_second, const std::vector<Run>& runs) {
  std::printf("\n== %s: %d genes x %d samples, loaded at %.0f MB/s ==\n", name.c_str(), table.genes(), table.samples(),
              mb_per_second);
  for (const Run& run : runs) {
    const SearchFunction fast = [&](const GeneTable& t, BiclusterSink& sink) {
      return search(t, {t.genes(), t.samples(), run.threshold, kMaximum, 0}, sink);
    };
    const SearchFunction fast_one = [&](const GeneTable& t, BiclusterSink& sink) {
      return search(t, {t.genes(), t.samples(), run.threshold, kMaximum, 1}, sink);
    };
    const SearchFunction literal = [&](const GeneTable& t, BiclusterSink& sink) {
      return literal_search(t, run.threshold, kMaximum, sink);
    };
    const bool whole = run.literal_genes >= table.genes();
    std::unique_ptr<GeneTable> part = whole || run.literal_genes == 0 ? nullptr : prefix(table, run.literal_genes);
    const GeneTable& scope = whole || !part ? table : *part;
    Results literal_results;
    const double literal_seconds = run.literal_genes == 0 ? 0.0 : timed_run(scope, literal, literal_results);
    std::printf("T = %.2f", run.threshold);
    if (run.literal_genes > 0) {
      std::printf("  literal on %s: %.2f s, %d biclusters",
                  whole ? "the whole matrix" : ("the first " + std::to_string(run.literal_genes) + " genes").c_str(),
                  literal_seconds, literal_results.biclusters);
    }
    std::printf("\n");
    for (std::size_t w = 0; w < widths.size(); ++w) {
      use_vector_width(widths[w]);
      Results fast_all;
      const double fast_seconds = fast_seconds_of(table, fast, fast_all);
      std::printf("  %-9s fast: %.3f s with %d workers; %d biclusters", width_name(widths[w]).c_str(), fast_seconds,
                  default_worker_count(), fast_all.biclusters);
      if (w == 0) {  // the worker count changes nothing
        Results fast_single;
        const double single_seconds = timed_run(table, fast_one, fast_single);
        std::printf("; %.3f s with 1%s", single_seconds, fast_single == fast_all ? "" : "  WORKER COUNTS DIFFER");
        if (!(fast_single == fast_all)) failures = true;
      }
      if (run.literal_genes > 0) {
        Results fast_scope;
        const double scope_seconds = whole ? fast_seconds : fast_seconds_of(scope, fast, fast_scope);
        const bool identical = literal_results == (whole ? fast_all : fast_scope);
        std::printf("; speed-up %.0fx (fast %.4f s), result files %s", literal_seconds / scope_seconds, scope_seconds,
                    identical ? "identical" : "DIFFERENT");
        if (!identical) failures = true;
      }
      std::printf("\n");
    }
    use_vector_width(widest_vectors());
  }
  std::printf("peak memory so far: %.0f MiB (this matrix's values: %.0f MiB)\n", peak_mib(),
              static_cast<double>(table.genes()) * table.samples() * 8 / 1048576.0);
}

std::string only;  // from the command line: bench only the matrices whose name holds this

bool chosen(const std::string& name) { return name.find(only) != std::string::npos; }

void bench_file(const fs::path& path, std::int32_t genes, std::int32_t samples, const std::vector<Run>& runs) {
  if (!chosen(path.filename().string())) return;
  if (!fs::exists(path)) {
    std::printf("\n== %s: not found, skipped ==\n", path.string().c_str());
    return;
  }
  const Loaded loaded = load(path, genes, samples);
  bench_matrix(path.filename().string(), *loaded.table, loaded.mb_per_second, runs);
}

void bench_generated(const std::string& name, const std::function<GeneratedMatrix()>& generate,
                     const std::vector<Run>& runs) {
  if (!chosen(name)) return;
  const GeneratedMatrix matrix = generate();
  const fs::path path = fs::temp_directory_path() / ("kova_bench_" + name + ".txt");
  {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "wb"));
    if (!file || std::fwrite(matrix.text.data(), 1, matrix.text.size(), file.get()) != matrix.text.size()) {
      throw std::runtime_error("cannot write " + path.string());
    }
  }
  const Loaded loaded = load(path, matrix.genes, matrix.samples);
  fs::remove(path);
  bench_matrix(name, *loaded.table, loaded.mb_per_second, runs);
}

}  // namespace
}  // namespace kova::bench

int main(int argc, char** argv) {
  using namespace kova::bench;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg != "--width") {
      positional.push_back(arg);
      continue;
    }
    const int width = i + 1 < argc ? std::atoi(argv[++i]) : -1;
    if (!kova::use_vector_width(width)) {
      std::fprintf(stderr, "kova_bench: error: '%s' is no vector width this processor has\n", argv[i]);
      return 2;
    }
    widths.push_back(width);
  }
  if (widths.empty()) widths = kova::available_widths();
  const fs::path data = !positional.empty() ? fs::path(positional[0]) : fs::path(KOVA_DATA_DIR);
  if (positional.size() > 1) only = positional[1];
  std::printf("vector widths:");
  for (const int width : widths) std::printf(" %s", width_name(width).c_str());
  std::printf(" (this processor's widest: %s)\n", width_name(kova::widest_vectors()).c_str());
  try {
    // Where the literal search would take more than a few minutes it runs on the first genes only;
    // the fast search then runs on the same genes for the speed-up, and on all of them for its time.
    // On a thousand samples and more it would take hours even so: the fast search's time only.
    bench_file(data / "ALL.txt", 12625, 128, {{0.9, 12625}, {0.99, 2000}});
    bench_file(data / "golub.txt", 3051, 38, {{0.9, 3051}, {0.99, 3051}});
    bench_generated("generated_2000x500", [] { return expression_matrix(2000, 500, 1); }, {{0.9, 300}, {0.99, 200}});
    bench_generated("generated_20000x200", [] { return expression_matrix(20000, 200, 2); }, {{0.9, 1000}, {0.99, 500}});
    bench_generated("zero_rich_5000x300", [] { return zero_rich_matrix(5000, 300, 3); }, {{0.9, 40}, {0.99, 40}});
    bench_generated("count_like_1000x271", [] { return count_like_matrix(1000, 271, 4); }, {{0.9, 1000}});
    bench_generated("generated_20000x1000", [] { return expression_matrix(20000, 1000, 5); }, {{0.9, 0}});
    bench_generated("generated_5000x3000", [] { return expression_matrix(5000, 3000, 6); }, {{0.9, 0}});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kova_bench: error: %s\n", e.what());
    return 1;
  }
  if (failures) std::printf("\nFAILED: results that must be the same differed (DIFFERENT or DIFFER above)\n");
  return failures ? 1 : 0;
}
