// Times significance by permutation on ALL.txt at T 0.9: N null runs side by side, each a
// single-threaded search (the way significance() runs them), then the first few of them one after
// another on one thread; that time over the real search's speed-up from its own threads estimates
// one run after another on every thread. Prints the processor, the width, wall and processor time.
//
//   kova_significance_bench [runs [matrix [width]]]    default: 100 runs on the project's data/ALL.txt,
//                                                      at the widest vector width (or 512, 256, 0)

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "kova/matrix.hpp"
#include "kova/meaning.hpp"
#include "kova/search.hpp"

namespace {

double seconds_of(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double processor_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The model name, with the family and model numbers that tell a virtual machine's processor apart.
std::string processor() {
  std::ifstream in("/proc/cpuinfo");
  std::string name = "unknown processor", family, model;
  const auto value = [](const std::string& line) { return line.substr(line.find(':') + 2); };
  for (std::string line; std::getline(in, line) && line.find_first_not_of(" \t") != std::string::npos;) {
    if (line.rfind("model name", 0) == 0) name = value(line);
    if (line.rfind("cpu family", 0) == 0) family = value(line);
    if (line.rfind("model\t", 0) == 0) model = value(line);
  }
  return family.empty() ? name : name + " (family " + family + " model " + model + ")";
}

class Collect final : public kova::BiclusterSink {
 public:
  void accept(const kova::Bicluster& b) override {
    kova::BiclusterMembers members{{b.members.begin(), b.members.end()}, {}};
    for (std::size_t s = 0; s < b.sample_flags.size(); ++s) {
      if (b.sample_flags[s] == 1) members.samples.push_back(static_cast<std::int32_t>(s));
    }
    found.push_back(std::move(members));
  }
  std::vector<kova::BiclusterMembers> found;
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 100;
  const std::filesystem::path path = argc > 2 ? argv[2] : KOVA_DATA_DIR "/ALL.txt";
  if (argc > 3 && !kova::use_vector_width(std::atoi(argv[3]))) {
    std::fprintf(stderr, "kova_significance_bench: error: '%s' is no vector width this processor has\n", argv[3]);
    return 2;
  }
  const kova::MatrixShape shape = kova::count_matrix_file(path);
  kova::GeneTable table(shape.genes, shape.samples);
  kova::load_matrix_file(kova::open_matrix_file(path), path, table);
  kova::RunSettings settings{shape.genes, shape.samples, 0.9, 1'000'000, 0};
  const int threads = kova::default_worker_count();
  std::printf("processor: %s, %d threads, vector width %d\n", processor().c_str(), threads, kova::vector_width());
  std::printf("%s: %d genes x %d samples, T 0.9, %d null runs\n", path.filename().string().c_str(), shape.genes,
              shape.samples, runs);

  Collect real;
  double search_seconds[2];
  for (int t : {1, 2}) {
    settings.threads = t;
    Collect sink;
    search_seconds[t - 1] = seconds_of([&] { kova::search(table, settings, sink); });
    std::printf("the real search on %d thread%s: %.3f s, %zu biclusters\n", t, t == 1 ? "" : "s", search_seconds[t - 1],
                sink.found.size());
    real = std::move(sink);
  }
  const kova::SignificanceSettings how{runs, 1};
  std::vector<kova::Significance> side_by_side;
  settings.threads = threads;
  const double before = processor_seconds();
  const double parallel = seconds_of([&] { side_by_side = kova::significance(table, settings, real.found, how); });
  const double busy = processor_seconds() - before;
  std::printf("significance, %d runs side by side on %d threads: %.2f s (%.2f s processor time, %.3f s a run)\n", runs,
              threads, parallel, busy, busy / runs);
  // Fewer runs one after another: their p-values differ, their time per run does not.
  const int few = std::min(runs, 20);
  settings.threads = 1;
  const double sequential = seconds_of([&] { kova::significance(table, settings, real.found, {few, 1}); });
  std::printf(
      "%d runs one after another on 1 thread: %.2f s (%.3f s a run); %d runs so on %d threads each, "
      "estimated %.2f s\n",
      few, sequential, sequential / few, runs, threads,
      sequential / few * runs * search_seconds[1] / search_seconds[0]);
  const auto significant = std::count_if(side_by_side.begin(), side_by_side.end(),
                                         [](const kova::Significance& s) { return s.p_value <= 0.05; });
  std::printf("%td of %zu biclusters p <= 0.05\n", significant, side_by_side.size());
  return 0;
}
