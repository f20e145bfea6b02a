// The R side of the engine: the search on a matrix R holds, and the engine's own reading of a
// matrix file and writing of the result files. Values cross as the doubles R holds, names as their
// bytes, so that a run here and a run of kova2 on the same numbers give the same files.

#include <Rcpp.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "beside_r.hpp"
#include "r_matrix.hpp"

#include "kova/matrix.hpp"
#include "kova/result_files.hpp"
#include "kova/search.hpp"

namespace {

// Keeps every bicluster as 1-based gene rows and sample columns, the way R counts. It runs on the
// search's thread, so it holds plain C++ vectors: R's objects are made on R's thread afterwards.
class RowsAndColumns final : public kova::BiclusterSink {
 public:
  void accept(const kova::Bicluster& bicluster) override {
    std::vector<int> rows(bicluster.members.begin(), bicluster.members.end());
    for (int& row : rows) ++row;
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(bicluster.selected_samples));
    for (std::size_t s = 0; s < bicluster.sample_flags.size(); ++s) {
      if (bicluster.sample_flags[s] == 1) columns.push_back(static_cast<int>(s) + 1);
    }
    rows_.push_back(std::move(rows));
    columns_.push_back(std::move(columns));
  }
  Rcpp::List rows() const { return Rcpp::wrap(rows_); }
  Rcpp::List columns() const { return Rcpp::wrap(columns_); }

 private:
  std::vector<std::vector<int>> rows_;
  std::vector<std::vector<int>> columns_;
};

// The share of the work done, written by the search's thread and read by R's.
class SharedProgress final : public kova::SearchProgress {
 public:
  void update(const kova::SearchStatus& status) override {
    done_.store(1.0 - status.work_left, std::memory_order_relaxed);
    found_.store(status.found, std::memory_order_relaxed);
  }
  double done() const { return done_.load(std::memory_order_relaxed); }
  int found() const { return found_.load(std::memory_order_relaxed); }

 private:
  std::atomic<double> done_{0.0};
  std::atomic<int> found_{0};
};

// The search beside R, its progress drawn by `report(done, found)` where given.
void search_beside_r(const kova::GeneTable& table, const kova::RunSettings& settings, kova::BiclusterSink& sink,
                     const Rcpp::Nullable<Rcpp::Function>& report) {
  SharedProgress progress;
  std::function<void()> tick;
  if (report.isNotNull()) {
    tick = [&progress, draw = Rcpp::Function(report.get())] { draw(progress.done(), progress.found()); };
  }
  kova_r::run_beside_r([&](std::stop_token stop) { kova::search(table, settings, sink, &progress, stop); }, tick);
}

// The ordinary Pearson correlation of two centred rows.
double centred_correlation(const double* a, const double* b, std::size_t n, double sa, double sb) {
  double sum = 0.0;
  for (std::size_t c = 0; c < n; ++c) sum += a[c] * b[c];
  return sum / std::sqrt(sa * sb);
}

}  // namespace

// [[Rcpp::export(.kova_search)]]
Rcpp::List kova_search(Rcpp::NumericMatrix x, Rcpp::CharacterVector names, double threshold, int max_biclusters,
                       int threads, Rcpp::Nullable<Rcpp::Function> report) {
  const auto genes = static_cast<std::int32_t>(x.nrow());
  const auto samples = static_cast<std::int32_t>(x.ncol());
  // The run's numbers are judged before anything large is made, in the console's words.
  const kova::RunSettings settings{genes, samples, threshold, max_biclusters, threads};
  kova::validate(settings);
  const kova::GeneTable table = kova_r::table_of(x, names);
  RowsAndColumns found;
  search_beside_r(table, settings, found, report);
  return Rcpp::List::create(Rcpp::Named("rows") = found.rows(), Rcpp::Named("columns") = found.columns());
}

// For every bicluster, the smallest, median and largest plain r: the ordinary Pearson correlation
// of each pair of its genes over its samples (two-pass). A gene constant over them leaves its pairs
// undefined; a bicluster without a defined pair gets NA.
// [[Rcpp::export(.kova_plain_r)]]
Rcpp::NumericMatrix kova_plain_r(Rcpp::NumericMatrix x, Rcpp::List rows, Rcpp::List columns) {
  Rcpp::NumericMatrix summary(rows.size(), 3);
  std::vector<double> centred;
  std::vector<double> squares;
  std::vector<double> pairs;
  for (R_xlen_t k = 0; k < rows.size(); ++k) {
    const Rcpp::IntegerVector members = rows[k];
    const Rcpp::IntegerVector selected = columns[k];
    const auto n = static_cast<std::size_t>(selected.size());
    const auto m = static_cast<std::size_t>(members.size());
    centred.assign(m * n, 0.0);
    squares.assign(m, 0.0);
    for (std::size_t g = 0; g < m; ++g) {
      double* row = &centred[g * n];
      double mean = 0.0;
      for (std::size_t c = 0; c < n; ++c) mean += (row[c] = x(members[g] - 1, selected[c] - 1));
      mean /= static_cast<double>(n);
      for (std::size_t c = 0; c < n; ++c) squares[g] += (row[c] -= mean) * row[c];
    }
    pairs.clear();
    for (std::size_t a = 0; a < m; ++a) {
      for (std::size_t b = a + 1; b < m; ++b) {
        if (squares[a] > 0.0 && squares[b] > 0.0) {
          pairs.push_back(centred_correlation(&centred[a * n], &centred[b * n], n, squares[a], squares[b]));
        }
      }
    }
    if (pairs.empty()) {
      summary(k, 0) = summary(k, 1) = summary(k, 2) = NA_REAL;
      continue;
    }
    std::sort(pairs.begin(), pairs.end());
    const std::size_t half = pairs.size() / 2;
    summary(k, 0) = pairs.front();
    summary(k, 1) = pairs.size() % 2 == 1 ? pairs[half] : (pairs[half - 1] + pairs[half]) / 2.0;
    summary(k, 2) = pairs.back();
  }
  return summary;
}

// [[Rcpp::export(.kova_write)]]
void kova_write(Rcpp::CharacterVector names, int samples, Rcpp::List rows, Rcpp::List columns, std::string output_path,
                std::string report_path) {
  kova::GeneTable table(static_cast<std::int32_t>(names.size()), samples);
  kova_r::set_names(table, names);
  kova::OutputFile output(output_path);
  kova::OutputFile report(report_path);
  kova::write_report_header(report);
  kova::ResultWriter writer(table, output, report);
  std::vector<std::int32_t> members;
  std::vector<std::int32_t> flags;
  for (R_xlen_t k = 0; k < rows.size(); ++k) {
    const Rcpp::IntegerVector bicluster_rows = rows[k];
    const Rcpp::IntegerVector bicluster_columns = columns[k];
    members.assign(bicluster_rows.begin(), bicluster_rows.end());
    for (std::int32_t& member : members) --member;
    flags.assign(static_cast<std::size_t>(samples), 0);
    for (int column : bicluster_columns) flags[static_cast<std::size_t>(column - 1)] = 1;
    writer.accept(
        {static_cast<std::int32_t>(k + 1), members, flags, static_cast<std::int32_t>(bicluster_columns.size())});
  }
  // The same order as kova2: every bicluster on disk before the membership lines mark the end.
  output.close();
  writer.write_membership();
  report.close();
}

// [[Rcpp::export(.kova_read_matrix)]]
Rcpp::List kova_read_matrix(std::string path) {
  const kova::MatrixShape shape = kova::count_matrix_file(path);
  kova::GeneTable table(shape.genes, shape.samples);
  kova::load_matrix_file(kova::open_matrix_file(path), path, table);
  Rcpp::CharacterVector names(shape.genes);
  Rcpp::NumericMatrix values(shape.genes, shape.samples);
  for (std::int32_t g = 0; g < shape.genes; ++g) {
    names[g] = table[g].name;
    for (std::int32_t s = 0; s < shape.samples; ++s) values(g, s) = table[g].values[s];
  }
  return Rcpp::List::create(Rcpp::Named("names") = names, Rcpp::Named("values") = values);
}
