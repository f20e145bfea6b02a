#include "engine/fast_search.hpp"

#include <vector>

#include "engine/column_elimination.hpp"
#include "engine/gene_extension.hpp"
#include "engine/thread_pool.hpp"
#include "engine/zero_shortcuts.hpp"

namespace kova {
namespace {

// Pairs evaluated ahead per worker. A pair whose partner is assigned before its turn is thrown
// away, so the batch stays small; with one worker nothing is evaluated ahead at all.
constexpr std::size_t kPairsAheadPerWorker = 4;

class Search {
 public:
  Search(const GeneTable& table, double threshold, std::int32_t max_biclusters, BiclusterSink& sink,
         const FastSearchOptions& options)
      : table_(table),
        threshold_(threshold),
        max_(max_biclusters),
        sink_(sink),
        progress_(options.progress),
        pool_(options.workers > 0 ? options.workers : default_worker_count()),
        nonzero_(table),
        eliminators_(static_cast<std::size_t>(pool_.workers())),
        extension_(table, pool_),
        assigned_(static_cast<std::size_t>(table.genes()), 0),
        batch_size_(pool_.workers() == 1 ? 1 : kPairsAheadPerWorker * static_cast<std::size_t>(pool_.workers())),
        selected_(batch_size_),
        flags_(batch_size_ * static_cast<std::size_t>(table.samples())),
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
      eliminate_batch(seed);
      for (std::size_t t = 0; t < partners_.size(); ++t) {
        if (assigned_[partners_[t]] != 0 || selected_[t] == 0) continue;
        commit(seed, partners_[t], t);
        if (found_ >= max_) return;
      }
      report(seed);
    }
  }

  void eliminate_batch(std::int32_t seed) {
    const std::size_t samples = static_cast<std::size_t>(table_.samples());
    pool_.parallel_for(partners_.size(), 1, [&](std::size_t begin, std::size_t end, int worker) {
      for (std::size_t t = begin; t < end; ++t) {
        const std::span<std::int32_t> flags(flags_.data() + t * samples, samples);
        selected_[t] = eliminators_[static_cast<std::size_t>(worker)].eliminate(table_.row(seed),
                                                                                 table_.row(partners_[t]),
                                                                                 threshold_, flags);
      }
    });
  }

  void commit(std::int32_t seed, std::int32_t partner, std::size_t slot) {
    const std::size_t samples = static_cast<std::size_t>(table_.samples());
    const std::span<const std::int32_t> flags(flags_.data() + slot * samples, samples);
    members_.assign({seed, partner});
    extension_.extend(members_, flags, selected_[slot], assigned_, threshold_);
    sink_.accept({found_ + 1, members_, flags, selected_[slot]});
    for (const std::int32_t m : members_) {
      if (assigned_[m] == 0) --unassigned_;
      assigned_[m] = 1;
    }
    ++found_;
  }

  // The work ahead is roughly the pairs among the unassigned genes; its share of the start's.
  void report(std::int32_t seeds_done) {
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
  ThreadPool pool_;
  NonZeroColumns nonzero_;
  std::vector<ColumnEliminator> eliminators_;
  GeneExtension extension_;
  std::vector<std::int32_t> assigned_;
  const std::size_t batch_size_;
  std::vector<std::int32_t> partners_;
  std::vector<std::int32_t> selected_;  // per batch slot: selected samples, 0 when nothing yields
  std::vector<std::int32_t> flags_;     // per batch slot: S sample flags
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
