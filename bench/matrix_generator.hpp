#pragma once
// Expression matrices for the benchmark, as matrix text, from fixed seeds: the same seed gives
// the same bytes on every run and every platform (own normal variates, no library distribution).

#include <cstdint>
#include <string>

namespace kova::bench {

struct GeneratedMatrix {
  std::int32_t genes;
  std::int32_t samples;
  std::string text;  // one gene per line: name, TAB, values with 6 significant digits, LF
};

// Microarray-like log2 values around 8, with modules of co-expressed genes over subsets of the
// samples, so that real biclusters exist beside noise.
GeneratedMatrix expression_matrix(std::int32_t genes, std::int32_t samples, std::uint64_t seed);

// Single-cell-like: most values 0, a share of the genes 0 in every sample, the rest small log
// counts.
GeneratedMatrix zero_rich_matrix(std::int32_t genes, std::int32_t samples, std::uint64_t seed);

// Count-like single-cell data: negative binomial counts (a gamma-distributed mean per value) as
// log(1 + x), per-cell depth, and about a third of the genes in co-expressed modules of about 30
// through a latent activity per module and cell; each gene draws from a stream of its own. About
// half the values are 0 and few genes are 0 everywhere; at T 0.9 biclusters of tens of genes form
// on a few cells beside many pairs (on 1000 x 271, seed 4: 29 genes on 5 cells, then 20 on 4).
GeneratedMatrix count_like_matrix(std::int32_t genes, std::int32_t cells, std::uint64_t seed);

}  // namespace kova::bench
