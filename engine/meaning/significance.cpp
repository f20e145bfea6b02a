// Significance by permutation: the same search on null matrices, each gene's values shuffled over
// the samples. Null runs are independent, so they run side by side, each a single-threaded search:
// on ALL.txt that is faster than one run after another on every thread (docs/meaning.md), since a
// search's threads must commit their biclusters in order and wait for one another.

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "engine/meaning/null_sizes.hpp"
#include "engine/meaning/permutation_stream.hpp"
#include "kova/meaning.hpp"
#include "kova/search.hpp"

namespace kova {
namespace {

class SizeSink final : public BiclusterSink {
 public:
  explicit SizeSink(std::vector<BiclusterSize>& sizes) : sizes_(sizes) {}
  void accept(const Bicluster& bicluster) override {
    sizes_.push_back({static_cast<std::int32_t>(bicluster.members.size()), bicluster.selected_samples});
  }

 private:
  std::vector<BiclusterSize>& sizes_;
};

// Null run `run`: `null` becomes `table` with each gene's values shuffled, genes in file order
// from one stream.
void make_null(const GeneTable& table, std::uint64_t seed, std::int32_t run, GeneTable& null) {
  PermutationStream stream(null_run_key(seed, run));
  const auto samples = static_cast<std::size_t>(table.samples());
  for (std::int32_t g = 0; g < table.genes(); ++g) {
    std::copy_n(table[g].values, samples, null[g].values);
    stream.shuffle({null[g].values, samples});
  }
}

// The null runs, handed out one at a time to the workers; the calling thread waits, tells the
// progress, and learns of a failure.
class NullRuns {
 public:
  NullRuns(const GeneTable& table, const RunSettings& settings, const SignificanceSettings& how)
      : table_(table), settings_(settings), how_(how), sizes_(static_cast<std::size_t>(how.runs)) {
    settings_.threads = 1;
  }

  std::vector<std::vector<BiclusterSize>> run(int workers, const NullRunProgress& progress, std::stop_token stop) {
    const std::stop_callback forward(stop, [this] {
      const std::lock_guard lock(mutex_);
      stop_.request_stop();
      changed_.notify_one();
    });
    {
      std::vector<std::jthread> threads;
      // Whatever leaves this block, the workers are told to stop before they are joined.
      struct StopFirst {
        std::stop_source& stop;
        ~StopFirst() { stop.request_stop(); }
      };
      try {
        for (int w = 0; w < workers; ++w) threads.emplace_back([this] { work(); });
      } catch (...) {
        fail(std::current_exception());
      }
      const StopFirst stop_first{stop_};
      report(progress);
    }
    if (failure_) std::rethrow_exception(failure_);
    if (stop.stop_requested()) throw SearchStopped();
    return std::move(sizes_);
  }

 private:
  void work() {
    try {
      GeneTable null(table_.genes(), table_.samples());
      while (!stop_.stop_requested()) {
        const std::int32_t run = next_run();
        if (run >= how_.runs) return;
        make_null(table_, how_.seed, run, null);
        SizeSink sink(sizes_[static_cast<std::size_t>(run)]);
        search(null, settings_, sink, nullptr, stop_.get_token());
        finished();
      }
    } catch (const SearchStopped&) {
      // Another worker failed, or the caller stopped: either is told by run().
    } catch (...) {
      fail(std::current_exception());
    }
  }

  std::int32_t next_run() {
    const std::lock_guard lock(mutex_);
    return next_++;
  }

  void finished() {
    const std::lock_guard lock(mutex_);
    ++done_;
    changed_.notify_one();
  }

  void fail(std::exception_ptr failure) {
    const std::lock_guard lock(mutex_);
    if (!failure_) failure_ = failure;
    stop_.request_stop();
    changed_.notify_one();
  }

  void report(const NullRunProgress& progress) {
    std::int32_t told = 0;
    std::unique_lock lock(mutex_);
    while (told < how_.runs && !failure_ && !stop_.stop_requested()) {
      changed_.wait(lock, [&] { return done_ > told || failure_ || stop_.stop_requested(); });
      while (told < done_) {
        ++told;
        if (!progress) continue;
        lock.unlock();
        progress(told, how_.runs);
        lock.lock();
      }
    }
  }

  const GeneTable& table_;
  RunSettings settings_;
  SignificanceSettings how_;
  std::vector<std::vector<BiclusterSize>> sizes_;
  std::stop_source stop_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::int32_t next_ = 0;
  std::int32_t done_ = 0;
  std::exception_ptr failure_;
};

}  // namespace

std::vector<Significance> significance(const GeneTable& table, const RunSettings& settings,
                                       std::span<const BiclusterMembers> biclusters, const SignificanceSettings& how,
                                       const NullRunProgress& progress, std::stop_token stop) {
  validate(settings);
  if (how.runs < 1) throw std::invalid_argument("significance needs at least 1 null run");
  if (table.genes() != settings.genes || table.samples() != settings.samples) {
    throw std::invalid_argument("significance: the table does not hold the run's genes and samples");
  }
  const int threads = settings.threads == 0 ? default_worker_count() : settings.threads;
  const int workers = std::min(threads, how.runs);
  const std::vector<std::vector<BiclusterSize>> null_runs = NullRuns(table, settings, how).run(workers, progress, stop);

  std::vector<BiclusterSize> sizes;
  sizes.reserve(biclusters.size());
  for (const BiclusterMembers& bicluster : biclusters) {
    sizes.push_back(
        {static_cast<std::int32_t>(bicluster.genes.size()), static_cast<std::int32_t>(bicluster.samples.size())});
  }
  return rate_against_null(null_runs, sizes);
}

}  // namespace kova
