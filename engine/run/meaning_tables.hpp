#pragma once
// The text of the batch way's three meaning files: tab separated, a header line, every line
// ended by CR LF, numbers as the shortest text that reads back to the same double. Bicluster
// numbers are 1-based, in the order of the output file. Formats: docs/meaning.md.

#include <span>
#include <string>
#include <vector>

#include "kova/meaning.hpp"

namespace kova {

// bicluster, genes, samples, p_value, expected
std::string significance_table(std::span<const BiclusterMembers> biclusters, std::span<const Significance> rated);

// The q-value up to which every set is listed; a bicluster's best set is listed whatever its q.
inline constexpr double kListedQ = 0.05;

// bicluster, set, overlap, set_size, bicluster_genes, universe, p_value, q_value, genes, symbols
std::string enrichment_table(std::span<const std::vector<SetEnrichment>> enriched, std::span<const GeneSet> sets,
                             std::span<const std::string> matrix_genes, const GeneNames* names);

// bicluster, column, class, in_bicluster, bicluster_samples, in_matrix, samples, p_value, q_value
std::string classes_table(std::span<const std::vector<ClassEnrichment>> classes, const SampleAnnotation& annotation);

}  // namespace kova
