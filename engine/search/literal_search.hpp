#pragma once
// The bicluster search, written as literally as the algorithm reads: seed pairs, column
// elimination, sample selection, gene extension. It is the reference the fast search is held to.

#include <cstdint>

#include "engine/model/bicluster.hpp"
#include "engine/model/gene_table.hpp"

namespace kova {

// Hands every bicluster to `sink` in the order found and returns how many there were.
// `max_biclusters` <= 0 stops after the first bicluster, or after gene 0's partners.
std::int32_t literal_search(const GeneTable& table, double threshold, std::int32_t max_biclusters,
                            BiclusterSink& sink);

}  // namespace kova
