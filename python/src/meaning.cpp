#include "meaning.hpp"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <sstream>
#include <string>
#include <vector>

#include "biclusters.hpp"
#include "interruptible.hpp"
#include "kova/meaning.hpp"
#include "kova/run_settings.hpp"
#include "table.hpp"

namespace kova_python {
namespace {

namespace py = pybind11;
using IntArray = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;
using OffsetArray = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

std::vector<kova::BiclusterMembers> members_of(const FlatBiclusters& flat) {
  std::vector<kova::BiclusterMembers> members(flat.size());
  for (std::size_t k = 0; k < flat.size(); ++k) {
    members[k].genes.assign(flat.genes.begin() + flat.gene_offsets[k], flat.genes.begin() + flat.gene_offsets[k + 1]);
    members[k].samples.assign(flat.samples.begin() + flat.sample_offsets[k],
                              flat.samples.begin() + flat.sample_offsets[k + 1]);
  }
  return members;
}

std::vector<kova::BiclusterMembers> members_of(const IntArray& genes, const OffsetArray& gene_offsets,
                                               const IntArray& samples, const OffsetArray& sample_offsets,
                                               std::int32_t gene_count, std::int32_t sample_count) {
  return members_of(
      FlatBiclusters::from_arrays(genes, gene_offsets, samples, sample_offsets, gene_count, sample_count));
}

// Per bicluster its p-value and expected count, from `runs` null runs of the result's own search;
// `progress` (or None) is called with (runs done, runs) about ten times a second.
py::tuple significance(const Table& table, double threshold, std::int32_t max_biclusters, int threads,
                       const IntArray& genes, const OffsetArray& gene_offsets, const IntArray& samples,
                       const OffsetArray& sample_offsets, std::int32_t runs, std::uint64_t seed,
                       const py::object& progress) {
  const kova::RunSettings settings{table.genes(), table.samples(), threshold, max_biclusters, threads};
  kova::validate(settings);
  const std::vector<kova::BiclusterMembers> members =
      members_of(genes, gene_offsets, samples, sample_offsets, table.genes(), table.samples());
  std::atomic<std::int32_t> done{0};
  std::vector<kova::Significance> rated;
  run_interruptible(
      [&](std::stop_token stop) {
        rated = kova::significance(table.gene_table(), settings, members, {runs, seed},
                                   [&](std::int32_t runs_done, std::int32_t) { done.store(runs_done); }, stop);
      },
      progress.is_none() ? std::function<void()>() : [&] { progress(done.load(), runs); });
  py::array_t<double> p(static_cast<py::ssize_t>(rated.size()));
  py::array_t<double> expected(static_cast<py::ssize_t>(rated.size()));
  for (std::size_t k = 0; k < rated.size(); ++k) {
    p.mutable_at(k) = rated[k].p_value;
    expected.mutable_at(k) = rated[k].expected;
  }
  return py::make_tuple(p, expected);
}

std::vector<kova::GeneSet> gene_sets_from(const py::object& sets) {
  std::vector<kova::GeneSet> parsed;
  for (const py::handle entry : sets) {
    const auto fields = entry.cast<py::tuple>();
    parsed.push_back({fields[0].cast<std::string>(), fields[1].cast<std::string>(),
                      fields[2].cast<std::vector<std::string>>()});
  }
  return parsed;
}

// One row per (bicluster, set) with a gene in common: bicluster number, set index, overlap, set
// size, bicluster genes in the universe, universe, p, q and the overlap's rows.
py::list enrichment(const std::vector<std::string>& matrix_genes, const py::object& names, const py::object& sets,
                    const IntArray& genes, const OffsetArray& gene_offsets, const IntArray& samples,
                    const OffsetArray& sample_offsets, std::int32_t sample_count) {
  const std::vector<kova::BiclusterMembers> members =
      members_of(genes, gene_offsets, samples, sample_offsets, static_cast<std::int32_t>(matrix_genes.size()),
                 sample_count);
  const std::vector<kova::GeneSet> parsed = gene_sets_from(sets);
  kova::GeneNames mapped;
  if (!names.is_none()) {
    for (const auto& [name, symbol] : names.cast<std::vector<std::pair<std::string, std::string>>>()) {
      mapped.emplace(name, kova::GeneName{symbol, ""});
    }
  }
  const auto found = kova::enrichment(matrix_genes, names.is_none() ? nullptr : &mapped, parsed, members);
  py::list rows;
  for (std::size_t k = 0; k < found.size(); ++k) {
    for (const kova::SetEnrichment& e : found[k]) {
      rows.append(py::make_tuple(k + 1, e.set, e.overlap, e.set_size, e.bicluster_size, e.universe, e.p_value,
                                 e.q_value, e.overlap_genes));
    }
  }
  return rows;
}

// One row per (bicluster, class column, class its samples hold): bicluster number, column, class,
// counts, p and q.
py::list sample_classes(const std::vector<std::vector<std::string>>& classes, const IntArray& genes,
                        const OffsetArray& gene_offsets, const IntArray& samples, const OffsetArray& sample_offsets,
                        std::int32_t gene_count, std::int32_t sample_count) {
  kova::SampleAnnotation annotation;
  annotation.classes = classes;
  for (std::size_t c = 0; c < classes.size(); ++c) annotation.class_titles.push_back("class " + std::to_string(c + 1));
  const auto found = kova::sample_classes(
      annotation, members_of(genes, gene_offsets, samples, sample_offsets, gene_count, sample_count));
  py::list rows;
  for (std::size_t k = 0; k < found.size(); ++k) {
    for (const kova::ClassEnrichment& e : found[k]) {
      rows.append(py::make_tuple(k + 1, e.column, e.level, e.in_bicluster, e.bicluster_samples, e.in_matrix,
                                 e.samples, e.p_value, e.q_value));
    }
  }
  return rows;
}

py::list read_gene_sets(const std::filesystem::path& path) {
  py::list sets;
  for (const kova::GeneSet& set : kova::read_gene_sets(path)) sets.append(py::make_tuple(set.name, set.description, set.genes));
  return sets;
}

py::list read_gene_names(const std::filesystem::path& path) {
  py::list names;
  for (const auto& [name, gene] : kova::read_gene_names(path)) names.append(py::make_tuple(name, gene.symbol));
  return names;
}

// Titles and classes per column of a sample annotation file of `samples` samples.
py::tuple read_sample_classes(const std::filesystem::path& path, std::int32_t samples) {
  const kova::SampleAnnotation annotation = kova::read_sample_annotation(path, samples);
  return py::make_tuple(annotation.names, annotation.class_titles, annotation.classes);
}

}  // namespace

void add_meaning(py::module_& m) {
  py::register_exception<kova::MeaningFileError>(m, "MeaningFileError", PyExc_ValueError);
  py::register_exception<kova::AnnotationError>(m, "AnnotationError", PyExc_ValueError);
  m.def("significance", &significance);
  m.def("enrichment", &enrichment);
  m.def("sample_classes", &sample_classes);
  m.def("read_gene_sets", &read_gene_sets);
  m.def("read_gene_names", &read_gene_names);
  m.def("read_sample_classes", &read_sample_classes);
}

}  // namespace kova_python
