// The R side of the engine: the search on a matrix R holds, and the engine's own reading of a
// matrix file and writing of the result files. Values cross as the doubles R holds, names as their
// bytes, so that a run here and a run of kova2 on the same numbers give the same files.

#include <Rcpp.h>

#include <string>
#include <vector>

#include "kova/matrix.hpp"
#include "kova/search.hpp"
#include "kova/result_files.hpp"

namespace {

// Keeps every bicluster as 1-based gene rows and sample columns, the way R counts.
class RowsAndColumns final : public kova::BiclusterSink {
 public:
  void accept(const kova::Bicluster& bicluster) override {
    Rcpp::IntegerVector rows(bicluster.members.size());
    for (std::size_t k = 0; k < bicluster.members.size(); ++k) rows[k] = bicluster.members[k] + 1;
    Rcpp::IntegerVector columns(bicluster.selected_samples);
    R_xlen_t next = 0;
    for (std::size_t s = 0; s < bicluster.sample_flags.size(); ++s) {
      if (bicluster.sample_flags[s] == 1) columns[next++] = static_cast<int>(s) + 1;
    }
    rows_.push_back(rows);
    columns_.push_back(columns);
  }
  Rcpp::List rows() const { return Rcpp::wrap(rows_); }
  Rcpp::List columns() const { return Rcpp::wrap(columns_); }

 private:
  std::vector<Rcpp::IntegerVector> rows_;
  std::vector<Rcpp::IntegerVector> columns_;
};

void set_names(kova::GeneTable& table, const Rcpp::CharacterVector& names) {
  for (R_xlen_t g = 0; g < names.size(); ++g) table[static_cast<std::int32_t>(g)].name = CHAR(STRING_ELT(names, g));
}

}  // namespace

// [[Rcpp::export(.kova_search)]]
Rcpp::List kova_search(Rcpp::NumericMatrix x, Rcpp::CharacterVector names, double threshold, int max_biclusters,
                       int threads) {
  const auto genes = static_cast<std::int32_t>(x.nrow());
  const auto samples = static_cast<std::int32_t>(x.ncol());
  // The run's numbers are judged before anything large is made, in the console's words.
  const kova::RunSettings settings{genes, samples, threshold, max_biclusters, threads};
  kova::validate(settings);
  kova::GeneTable table(genes, samples);
  set_names(table, names);
  // R holds the matrix column by column; the table holds each gene's row in one piece.
  for (std::int32_t s = 0; s < samples; ++s) {
    const double* column = &x[static_cast<R_xlen_t>(s) * genes];
    for (std::int32_t g = 0; g < genes; ++g) table[g].values[s] = column[g];
  }
  RowsAndColumns found;
  kova::search(table, settings, found);
  return Rcpp::List::create(Rcpp::Named("rows") = found.rows(), Rcpp::Named("columns") = found.columns());
}

// [[Rcpp::export(.kova_write)]]
void kova_write(Rcpp::CharacterVector names, int samples, Rcpp::List rows, Rcpp::List columns, std::string output_path,
                std::string report_path) {
  kova::GeneTable table(static_cast<std::int32_t>(names.size()), samples);
  set_names(table, names);
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
