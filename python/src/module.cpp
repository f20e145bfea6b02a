// The Python module kova._engine: the engine's gene table filled from Python, the search without
// the GIL, and the engine's own reading of matrix files and writing of result files. Names cross
// as bytes, so that a name survives whatever its encoding; values cross as doubles.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "biclusters.hpp"
#include "interruptible.hpp"
#include "meaning.hpp"
#include "kova/matrix.hpp"
#include "kova/result_files.hpp"
#include "kova/run_settings.hpp"
#include "kova/search.hpp"
#include "table.hpp"

namespace py = pybind11;
namespace fs = std::filesystem;
using kova_python::FlatBiclusters;
using kova_python::Table;

namespace {

using IntArray = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;
using OffsetArray = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// The latest status the search reported, read by the calling thread for the progress display.
class LatestStatus final : public kova::SearchProgress {
 public:
  void update(const kova::SearchStatus& status) override {
    seeds_done_.store(status.seeds_done, std::memory_order_relaxed);
    found_.store(status.found, std::memory_order_relaxed);
    work_left_.store(status.work_left, std::memory_order_relaxed);
  }
  py::tuple snapshot() const {
    return py::make_tuple(seeds_done_.load(std::memory_order_relaxed), found_.load(std::memory_order_relaxed),
                          work_left_.load(std::memory_order_relaxed));
  }

 private:
  std::atomic<std::int32_t> seeds_done_{0};
  std::atomic<std::int32_t> found_{0};
  std::atomic<double> work_left_{1.0};
};

py::array_t<double> summary_array(const std::vector<double>& summary) {
  py::array_t<double> array({static_cast<py::ssize_t>(summary.size() / 3), py::ssize_t{3}});
  std::copy(summary.begin(), summary.end(), array.mutable_data());
  return array;
}

// The search, then each bicluster's correlation summary, on a worker thread; `progress` (or None)
// is called with (seeds done, biclusters found, share of work left) about ten times a second.
py::tuple search(const Table& table, double threshold, std::int32_t max_biclusters, int threads,
                 const py::object& progress) {
  const kova::RunSettings settings{table.genes(), table.samples(), threshold, max_biclusters, threads};
  kova::validate(settings);
  kova_python::FlatSink sink;
  std::vector<double> summary;
  LatestStatus status;
  kova_python::run_interruptible(
      [&](std::stop_token stop) {
        kova::search(table.gene_table(), settings, sink, &status, stop);
        summary = kova_python::correlation_summary(table.gene_table(), sink.found, stop);
      },
      progress.is_none() ? std::function<void()>() : [&] { progress(status.snapshot()); });
  return py::make_tuple(sink.found.to_arrays(), summary_array(summary));
}

py::array_t<double> correlations(const Table& table, const IntArray& genes, const OffsetArray& gene_offsets,
                                 const IntArray& samples, const OffsetArray& sample_offsets) {
  const FlatBiclusters biclusters =
      FlatBiclusters::from_arrays(genes, gene_offsets, samples, sample_offsets, table.genes(), table.samples());
  std::vector<double> summary;
  kova_python::run_interruptible(
      [&](std::stop_token stop) { summary = kova_python::correlation_summary(table.gene_table(), biclusters, stop); },
      {});
  return summary_array(summary);
}

// kova2's two files, through its own writer: every bicluster into the output file, which is closed
// before the membership lines complete the report, as kova2 does.
void write_files(const std::vector<py::bytes>& names, std::int32_t samples, const IntArray& genes,
                 const OffsetArray& gene_offsets, const IntArray& sample_members, const OffsetArray& sample_offsets,
                 const fs::path& output_path, const fs::path& report_path) {
  Table table(static_cast<std::int32_t>(names.size()), samples);
  table.set_names(names);
  const FlatBiclusters biclusters = FlatBiclusters::from_arrays(genes, gene_offsets, sample_members, sample_offsets,
                                                                table.genes(), table.samples());
  kova::OutputFile output(output_path);
  kova::OutputFile report(report_path);
  kova::write_report_header(report);
  kova::ResultWriter writer(table.gene_table(), output, report);
  std::vector<std::int32_t> flags;
  for (std::size_t k = 0; k < biclusters.size(); ++k) {
    const auto first_gene = biclusters.genes.begin() + biclusters.gene_offsets[k];
    const std::span<const std::int32_t> members(&*first_gene,
                                                static_cast<std::size_t>(biclusters.gene_offsets[k + 1] -
                                                                         biclusters.gene_offsets[k]));
    flags.assign(static_cast<std::size_t>(samples), 0);
    for (std::int64_t i = biclusters.sample_offsets[k]; i < biclusters.sample_offsets[k + 1]; ++i) {
      flags[static_cast<std::size_t>(biclusters.samples[static_cast<std::size_t>(i)])] = 1;
    }
    const auto selected = static_cast<std::int32_t>(biclusters.sample_offsets[k + 1] - biclusters.sample_offsets[k]);
    writer.accept({static_cast<std::int32_t>(k + 1), members, flags, selected});
  }
  output.close();
  writer.write_membership();
  report.close();
}

// A matrix file read as kova2 reads it; returns the table and the loader's warnings.
py::tuple read_matrix(const fs::path& path) {
  const kova::MatrixShape shape = kova::count_matrix_file(path);
  kova::GeneTable table(shape.genes, shape.samples);
  std::vector<std::string> warnings = kova::load_matrix_file(kova::open_matrix_file(path), path, table);
  return py::make_tuple(Table(std::move(table)), warnings);
}

void validate(std::int32_t genes, std::int32_t samples, double threshold, std::int32_t max_biclusters, int threads) {
  kova::validate({genes, samples, threshold, max_biclusters, threads});
}

}  // namespace

PYBIND11_MODULE(_engine, m) {
  m.doc() = "The KOVA engine behind the kova package.";
  // The engine's refusals, each one line that names the problem: bad numbers and unusable files
  // are ValueError, files that cannot be written OSError.
  py::register_exception<kova::RunSettingsError>(m, "RunSettingsError", PyExc_ValueError);
  py::register_exception<kova::MatrixFileError>(m, "MatrixFileError", PyExc_ValueError);
  py::register_exception<kova::MatrixShapeError>(m, "MatrixShapeError", PyExc_ValueError);
  py::register_exception<kova::MatrixReadError>(m, "MatrixReadError", PyExc_ValueError);
  py::register_exception<kova::OutputError>(m, "OutputError", PyExc_OSError);

  py::class_<Table>(m, "Table")
      .def(py::init<std::int32_t, std::int32_t>(), py::arg("genes"), py::arg("samples"))
      .def_property_readonly("genes", &Table::genes)
      .def_property_readonly("samples", &Table::samples)
      .def("set_names", &Table::set_names)
      .def("names", &Table::names)
      .def("set_rows", &Table::set_rows, py::arg("first_gene"), py::arg("block"))
      .def("add_entries", &Table::add_entries, py::arg("first_major"), py::arg("indptr"), py::arg("indices"),
           py::arg("values"), py::arg("major_is_gene"))
      .def("values", &Table::values);
  m.def("search", &search, py::arg("table"), py::arg("threshold"), py::arg("max_biclusters"), py::arg("threads"),
        py::arg("progress"));
  m.def("correlations", &correlations);
  m.def("write_files", &write_files);
  m.def("read_matrix", &read_matrix);
  m.def("validate", &validate);
  m.attr("most_threads") = kova::kMostThreads;
  kova_python::add_meaning(m);
}
