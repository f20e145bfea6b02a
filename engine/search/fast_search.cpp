#include "engine/search/fast_search.hpp"

#include <algorithm>
#include <vector>

#include "engine/search/column_elimination.hpp"
#include "engine/search/gene_extension.hpp"
#include "engine/search/thread_pool.hpp"
#include "engine/search/zero_shortcuts.hpp"
#include "kova/search.hpp"

namespace kova {
namespace {

// Pairs are evaluated ahead in batches, and a pair whose partner is assigned before its turn is
// thrown away. The batch grows while nothing is thrown away and shrinks when much is, so that
// regimes of many small biclusters batch deeply (one pass over the candidate rows serves the
// whole batch) and regimes of large ones waste little.
constexpr std::size_t kSmallestBatch = 2;
constexpr std::size_t kLargestBatch = 256;

class Search {
 public:
  Search(const GeneTable& table, double threshold, std::int32_t max_biclusters, BiclusterSink& sink,
         const FastSearchOptions& options)
      : table_(table),
        threshold_(threshold),
        max_(max_biclusters),
        sink_(sink),
        progress_(options.progress),
        stop_(options.stop),
        pool_(options.workers > 0 ? options.workers : default_worker_count()),
        nonzero_(table),
        eliminators_(static_cast<std::size_t>(pool_.workers())),
        screen_(table, nonzero_, threshold, pool_),
        completion_(table),
        assigned_(static_cast<std::size_t>(table.genes()), 0),
        unassigned_(table.genes()) {}

  std::int32_t run() {
    const std::int32_t genes = table_.genes();
    for (std::int32_t i = 0; i < genes; ++i) {
      if (assigned_[i] != 0) continue;
      if (nonzero_.may_yield(i)) pair_seed(i);
      report(i + 1);
      if (found_ >= max_) break;
    }
    report(genes);
    return found_;
  }

 private:
  // Tries the seed's partners in ascending order, a batch at a time; stops at the maximum.
  void pair_seed(std::int32_t seed) {
    const std::int32_t genes = table_.genes();
    std::int32_t next = seed + 1;
    while (next < genes) {
      partners_.clear();
      for (; next < genes && partners_.size() < batch_size_; ++next) {
        if (assigned_[next] == 0 && nonzero_.may_yield(seed, next)) partners_.push_back(next);
      }
      if (partners_.empty()) break;
      evaluate_batch(seed);
      std::size_t discarded = 0;
      for (std::size_t t = 0; t < partners_.size(); ++t) {
        if (selected_[t] == 0) continue;
        if (assigned_[partners_[t]] != 0) {
          ++discarded;
          continue;
        }
        commit(seed, t);
        if (found_ >= max_) return;
      }
      adapt_batch(discarded);
      report(seed);
    }
  }

  void adapt_batch(std::size_t discarded) {
    if (discarded == 0) {
      batch_size_ = std::min(kLargestBatch, batch_size_ * 2);
    } else if (discarded * 4 >= partners_.size()) {
      batch_size_ = std::max(kSmallestBatch, batch_size_ / 2);
    }
  }

  // The pairs of the batch on any worker: first their eliminations, then, for those that yield,
  // the extension's tests against the seed and the partner over the genes unassigned now.
  void evaluate_batch(std::int32_t seed) {
    const std::size_t samples = static_cast<std::size_t>(table_.samples());
    const std::size_t slots = partners_.size();
    selected_.resize(slots);
    flags_.resize(slots * samples);
    screen_.reset(slots);
    pool_.parallel_for(slots, 1, [&](std::size_t begin, std::size_t end, int worker) {
      for (std::size_t t = begin; t < end; ++t) {
        const std::span<std::int32_t> flags(flags_.data() + t * samples, samples);
        selected_[t] = eliminators_[static_cast<std::size_t>(worker)].eliminate(
            table_.row(seed), table_.row(partners_[t]), threshold_, flags);
        if (selected_[t] != 0) screen_.add_pair(t, seed, partners_[t], flags);
      }
    });
    if (!screen_.start()) return;
    candidates_.clear();
    for (std::int32_t g = 0; g < table_.genes(); ++g) {
      if (assigned_[g] == 0 && g != seed) candidates_.push_back(g);
    }
    pool_.parallel_for(
        candidates_.size(), ExtensionScreen::kCandidatesPerChunk,
        [&](std::size_t begin, std::size_t end, int worker) {
          // A stop is seen within one chunk, not only after a batch, which on a wide matrix can
          // take seconds; the half-screened batch is never committed.
          if (stop_.stop_requested()) throw SearchStopped();
          screen_.screen(candidates_, begin, end, worker);
        });
    screen_.gather();
  }

  std::span<const std::int32_t> slot_flags(std::size_t slot) const {
    const std::size_t samples = static_cast<std::size_t>(table_.samples());
    return {flags_.data() + slot * samples, samples};
  }

  void commit(std::int32_t seed, std::size_t slot) {
    passing_.clear();
    for (const std::uint32_t k : screen_.passing(slot)) passing_.push_back(candidates_[k]);
    members_.assign({seed, partners_[slot]});
    completion_.complete(members_, passing_, slot_flags(slot), assigned_, threshold_);
    sink_.accept({found_ + 1, members_, slot_flags(slot), selected_[slot]});
    for (const std::int32_t m : members_) {
      if (assigned_[m] == 0) --unassigned_;
      assigned_[m] = 1;
    }
    ++found_;
  }

  // The work ahead is roughly the pairs among the unassigned genes; its share of the start's.
  void report(std::int32_t seeds_done) {
    if (stop_.stop_requested()) throw SearchStopped();
    if (progress_ == nullptr) return;
    const double genes = table_.genes() > 0 ? table_.genes() : 1;
    const double share = static_cast<double>(unassigned_) / genes;
    const double left = seeds_done >= table_.genes() ? 0.0 : share * share;
    progress_->update({seeds_done, table_.genes(), found_, left});
  }

  const GeneTable& table_;
  const double threshold_;
  const std::int32_t max_;
  BiclusterSink& sink_;
  SearchProgress* progress_;
  const std::stop_token stop_;
  ThreadPool pool_;
  NonZeroColumns nonzero_;
  std::vector<ColumnEliminator> eliminators_;  // one per worker
  ExtensionScreen screen_;
  ExtensionCompletion completion_;
  std::vector<std::int32_t> assigned_;
  std::size_t batch_size_ = kSmallestBatch;
  std::vector<std::int32_t> partners_;    // the batch: partners of the seed, ascending
  std::vector<std::int32_t> selected_;    // per slot: selected samples, 0 when the pair yields nothing
  std::vector<std::int32_t> flags_;       // per slot: S sample flags
  std::vector<std::int32_t> candidates_;  // genes unassigned when the batch was screened, seed excepted
  std::vector<std::int32_t> passing_;
  std::vector<std::int32_t> members_;
  std::int32_t found_ = 0;
  std::int32_t unassigned_;
};

}  // namespace

std::int32_t fast_search(const GeneTable& table, double threshold, std::int32_t max_biclusters, BiclusterSink& sink,
                         const FastSearchOptions& options) {
  return Search(table, threshold, max_biclusters, sink, options).run();
}

}  // namespace kova
