// Times significance by permutation on ALL.txt at T 0.9: N null runs side by side, each a
// single-threaded search (the way significance() runs them), against the same runs one after
// another on one thread; the second way's time over the real search's speed-up from its own
// threads estimates one run after another on every thread. Prints the processor and the width.
//
//   kova_significance_bench [runs [matrix]]     default: 100 runs on the project's data/ALL.txt

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

std::string processor() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown processor";
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
  std::vector<kova::Significance> side_by_side, one_thread;
  settings.threads = threads;
  const double parallel = seconds_of([&] { side_by_side = kova::significance(table, settings, real.found, how); });
  std::printf("significance, runs side by side on %d threads: %.2f s (%.3f s a run)\n", threads, parallel,
              parallel / runs);
  settings.threads = 1;
  const double sequential = seconds_of([&] { one_thread = kova::significance(table, settings, real.found, how); });
  std::printf("significance, one run after another on 1 thread: %.2f s; on %d threads each, estimated %.2f s\n",
              sequential, threads, sequential * search_seconds[1] / search_seconds[0]);
  std::size_t significant = 0;
  bool same = side_by_side.size() == one_thread.size();
  for (std::size_t i = 0; same && i < side_by_side.size(); ++i) {
    same = side_by_side[i].p_value == one_thread[i].p_value && side_by_side[i].expected == one_thread[i].expected;
    significant += side_by_side[i].p_value <= 0.05 ? 1 : 0;
  }
  std::printf("%zu of %zu biclusters p <= 0.05; %s\n", significant, side_by_side.size(),
              same ? "the same p-values on 1 and on every thread" : "THE P-VALUES DIFFER BETWEEN THREAD COUNTS");
  return same ? 0 : 1;
}
