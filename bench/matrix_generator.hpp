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
// log(1 + x), per-cell depth, and genes in co-expressed modules through a latent activity per
// module and cell, so that about half the values are 0, few genes are 0 everywhere, and
// biclusters of up to about twenty genes form.
GeneratedMatrix count_like_matrix(std::int32_t genes, std::int32_t cells, std::uint64_t seed);

}  // namespace kova::bench
