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
// log(1 + x), per-cell depth, and about 38% of the genes in co-expressed modules of about 35
// through a strong latent activity per module and cell; most variable genes first, as a selection
// of highly variable genes lists them. About half the values are 0 and few genes are 0
// everywhere; at T 0.9 the first gene's module forms a bicluster of 25 to 35 genes over most
// cells (31 genes over 245 of 1000 x 271, seed 4), beside many small ones.
GeneratedMatrix count_like_matrix(std::int32_t genes, std::int32_t cells, std::uint64_t seed);

}  // namespace kova::bench
