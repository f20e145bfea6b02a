#pragma once
// Biclusters as Python receives them: genes and samples of all of them in two flat arrays, with
// the offsets where each bicluster's begin. Genes stay in the order found (seed, partner, added
// genes), which the output file keeps; samples ascend.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <stop_token>
#include <vector>

#include "kova/search.hpp"

namespace kova_python {

namespace py = pybind11;

struct FlatBiclusters {
  std::vector<std::int32_t> genes;
  std::vector<std::int64_t> gene_offsets{0};
  std::vector<std::int32_t> samples;
  std::vector<std::int64_t> sample_offsets{0};

  std::size_t size() const { return gene_offsets.size() - 1; }
  // From the arrays Python holds; throws std::invalid_argument when they do not fit together or
  // name a gene or sample outside genes x samples.
  static FlatBiclusters from_arrays(const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& genes,
                                    const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& gene_offsets,
                                    const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& samples,
                                    const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& sample_offsets,
                                    std::int32_t gene_count, std::int32_t sample_count);
  py::tuple to_arrays() const;
};

// Keeps every bicluster the search hands out.
class FlatSink final : public kova::BiclusterSink {
 public:
  void accept(const kova::Bicluster& bicluster) override;
  FlatBiclusters found;
};

// Per bicluster the smallest, median and largest Pearson r of its gene pairs over its samples, by
// the engine's one correlation formula; stops (kova::SearchStopped) once `stop` is requested.
std::vector<double> correlation_summary(const kova::GeneTable& table, const FlatBiclusters& biclusters,
                                        std::stop_token stop);

}  // namespace kova_python
