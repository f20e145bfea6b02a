#pragma once
// The bicluster search, with the literal search's results bit for bit but far sooner: column
// elimination in O(S) per step (column_elimination.hpp), pairs that provably yield nothing
// skipped (zero_shortcuts.hpp), and pairs evaluated ahead on several workers while biclusters
// are committed strictly in the literal order.

#include <cstdint>
#include <stop_token>

#include "engine/model/bicluster.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/search/progress.hpp"

namespace kova {

struct FastSearchOptions {
  int workers = 0;                     // threads, the caller's included; 0: the machine's cores
  SearchProgress* progress = nullptr;  // told how far the search is, when given
  std::stop_token stop;                // a requested stop ends the search with SearchStopped
};

// Same contract as literal_search: hands every bicluster to `sink` in the order found and returns
// how many there were. Throws SearchStopped once `options.stop` is requested.
std::int32_t fast_search(const GeneTable& table, double threshold, std::int32_t max_biclusters, BiclusterSink& sink,
                         const FastSearchOptions& options = {});

}  // namespace kova
