#include "biclusters.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>

namespace kova_python {

namespace {

template <typename T>
std::vector<T> copied(const py::array_t<T, py::array::c_style | py::array::forcecast>& array) {
  if (array.ndim() != 1) throw std::invalid_argument("bicluster arrays must be one-dimensional");
  return std::vector<T>(array.data(), array.data() + array.size());
}

void check_part(const std::vector<std::int32_t>& members, const std::vector<std::int64_t>& offsets,
                std::int32_t count, const char* what) {
  if (offsets.empty() || offsets.front() != 0 || offsets.back() != static_cast<std::int64_t>(members.size()) ||
      !std::is_sorted(offsets.begin(), offsets.end())) {
    throw std::invalid_argument(std::string("the ") + what + " offsets do not fit their members");
  }
  for (const std::int32_t member : members) {
    if (member < 0 || member >= count) throw std::invalid_argument(std::string("a bicluster names a ") + what +
                                                                   " outside the matrix");
  }
}

template <typename T>
py::array_t<T> as_array(const std::vector<T>& values) {
  py::array_t<T> array(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), array.mutable_data());
  return array;
}

// The middle of the sorted values (the mean of the two middle ones for an even count).
double median(std::vector<double>& values) {
  const std::size_t half = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
  const double upper = values[half];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half));
  return lower / 2 + upper / 2;
}

}  // namespace

FlatBiclusters FlatBiclusters::from_arrays(
    const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& genes,
    const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& gene_offsets,
    const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& samples,
    const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& sample_offsets,
    std::int32_t gene_count, std::int32_t sample_count) {
  FlatBiclusters flat{copied(genes), copied(gene_offsets), copied(samples), copied(sample_offsets)};
  if (flat.gene_offsets.size() != flat.sample_offsets.size()) {
    throw std::invalid_argument("gene and sample offsets of different lengths");
  }
  check_part(flat.genes, flat.gene_offsets, gene_count, "gene");
  check_part(flat.samples, flat.sample_offsets, sample_count, "sample");
  return flat;
}

py::tuple FlatBiclusters::to_arrays() const {
  return py::make_tuple(as_array(genes), as_array(gene_offsets), as_array(samples), as_array(sample_offsets));
}

void FlatSink::accept(const kova::Bicluster& bicluster) {
  found.genes.insert(found.genes.end(), bicluster.members.begin(), bicluster.members.end());
  found.gene_offsets.push_back(static_cast<std::int64_t>(found.genes.size()));
  for (std::size_t s = 0; s < bicluster.sample_flags.size(); ++s) {
    if (bicluster.sample_flags[s] == 1) found.samples.push_back(static_cast<std::int32_t>(s));
  }
  found.sample_offsets.push_back(static_cast<std::int64_t>(found.samples.size()));
}

std::vector<double> correlation_summary(const kova::GeneTable& table, const FlatBiclusters& biclusters,
                                        std::stop_token stop) {
  std::vector<double> summary;
  summary.reserve(biclusters.size() * 3);
  std::vector<double> pairs;
  std::vector<double> x;
  for (std::size_t k = 0; k < biclusters.size(); ++k) {
    if (stop.stop_requested()) throw kova::SearchStopped();
    const auto genes_begin = biclusters.genes.begin() + biclusters.gene_offsets[k];
    const auto genes_end = biclusters.genes.begin() + biclusters.gene_offsets[k + 1];
    const auto samples_begin = biclusters.samples.begin() + biclusters.sample_offsets[k];
    const auto samples_end = biclusters.samples.begin() + biclusters.sample_offsets[k + 1];
    const auto n = static_cast<std::int32_t>(samples_end - samples_begin);
    pairs.clear();
    for (auto a = genes_begin; a != genes_end; ++a) {
      x.clear();
      for (auto s = samples_begin; s != samples_end; ++s) x.push_back(table[*a].values[*s]);
      for (auto b = a + 1; b != genes_end; ++b) {
        kova::PairSums sums;
        for (std::int32_t i = 0; i < n; ++i) sums.add(x[static_cast<std::size_t>(i)], table[*b].values[samples_begin[i]]);
        pairs.push_back(kova::correlation(sums, n));
      }
    }
    if (pairs.empty()) {  // a bicluster of one gene has no pair
      summary.insert(summary.end(), 3, std::numeric_limits<double>::quiet_NaN());
      continue;
    }
    const auto [smallest, largest] = std::minmax_element(pairs.begin(), pairs.end());
    const double low = *smallest;
    const double high = *largest;
    summary.push_back(low);
    summary.push_back(median(pairs));
    summary.push_back(high);
  }
  return summary;
}

}  // namespace kova_python
