// The R side of what a bicluster means (docs/meaning.md): significance by permutation, gene-set
// enrichment and sample classes, each from the engine's meaning room, as kova2's batch way
// computes them. Biclusters cross as R's 1-based rows and columns.

#include <Rcpp.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "beside_r.hpp"
#include "kova/meaning.hpp"
#include "kova/run_settings.hpp"
#include "r_matrix.hpp"

namespace {

std::vector<kova::BiclusterMembers> members_of(const Rcpp::List& rows, const Rcpp::List& columns) {
  std::vector<kova::BiclusterMembers> members(static_cast<std::size_t>(rows.size()));
  for (R_xlen_t k = 0; k < rows.size(); ++k) {
    const Rcpp::IntegerVector genes = rows[k];
    const Rcpp::IntegerVector samples = columns[k];
    for (int g : genes) members[static_cast<std::size_t>(k)].genes.push_back(g - 1);
    for (int s : samples) members[static_cast<std::size_t>(k)].samples.push_back(s - 1);
  }
  return members;
}

std::vector<std::string> strings_of(const Rcpp::CharacterVector& values) {
  std::vector<std::string> strings;
  strings.reserve(static_cast<std::size_t>(values.size()));
  for (R_xlen_t i = 0; i < values.size(); ++i) strings.emplace_back(CHAR(STRING_ELT(values, i)));
  return strings;
}

}  // namespace

// A 64-bit FNV-1a digest of the matrix's shape and the bits of its values: what tells a result's
// own matrix from another of the same names (another assay, other units) without keeping a copy.
// [[Rcpp::export(.kova_fingerprint)]]
std::string kova_fingerprint(Rcpp::NumericMatrix x) {
  std::uint64_t hash = 14695981039346656037ULL;
  const auto mix = [&hash](std::uint64_t word) {
    for (int byte = 0; byte < 8; ++byte) {
      hash ^= (word >> (8 * byte)) & 0xffU;
      hash *= 1099511628211ULL;
    }
  };
  mix(static_cast<std::uint64_t>(x.nrow()));
  mix(static_cast<std::uint64_t>(x.ncol()));
  for (R_xlen_t i = 0; i < x.size(); ++i) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x[i], sizeof bits);
    mix(bits);
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// Per bicluster its p-value and expected count from `runs` null runs of the search with the
// result's own numbers; `report(runs_done, runs)` draws the progress where given.
// [[Rcpp::export(.kova_significance)]]
Rcpp::List kova_significance(Rcpp::NumericMatrix x, Rcpp::CharacterVector names, double threshold,
                             int max_biclusters, int threads, Rcpp::List rows, Rcpp::List columns, int runs,
                             double seed, Rcpp::Nullable<Rcpp::Function> report) {
  const kova::RunSettings settings{static_cast<std::int32_t>(x.nrow()), static_cast<std::int32_t>(x.ncol()),
                                   threshold, max_biclusters, threads};
  kova::validate(settings);
  const kova::GeneTable table = kova_r::table_of(x, names);
  const std::vector<kova::BiclusterMembers> members = members_of(rows, columns);
  std::atomic<std::int32_t> done{0};
  std::function<void()> tick;
  if (report.isNotNull()) {
    tick = [&done, runs, draw = Rcpp::Function(report.get())] { draw(done.load(), runs); };
  }
  std::vector<kova::Significance> rated;
  kova_r::run_beside_r(
      [&](std::stop_token stop) {
        rated = kova::significance(table, settings, members, {runs, static_cast<std::uint64_t>(seed)},
                                   [&done](std::int32_t runs_done, std::int32_t) { done.store(runs_done); }, stop);
      },
      tick);
  Rcpp::NumericVector p(rated.size());
  Rcpp::NumericVector expected(rated.size());
  for (std::size_t k = 0; k < rated.size(); ++k) {
    p[k] = rated[k].p_value;
    expected[k] = rated[k].expected;
  }
  return Rcpp::List::create(Rcpp::Named("p_value") = p, Rcpp::Named("expected") = expected);
}

// [[Rcpp::export(.kova_read_gene_sets)]]
Rcpp::List kova_read_gene_sets(std::string path) {
  const std::vector<kova::GeneSet> sets = kova::read_gene_sets(path);
  Rcpp::CharacterVector set_names(sets.size());
  Rcpp::CharacterVector descriptions(sets.size());
  Rcpp::List genes(sets.size());
  for (std::size_t s = 0; s < sets.size(); ++s) {
    set_names[s] = sets[s].name;
    descriptions[s] = sets[s].description;
    genes[s] = Rcpp::wrap(sets[s].genes);
  }
  return Rcpp::List::create(Rcpp::Named("names") = set_names, Rcpp::Named("descriptions") = descriptions,
                            Rcpp::Named("genes") = genes);
}

// The matrix's names and their symbols, in the file's order of lines.
// [[Rcpp::export(.kova_read_gene_names)]]
Rcpp::CharacterVector kova_read_gene_names(std::string path) {
  const kova::GeneNames names = kova::read_gene_names(path);
  Rcpp::CharacterVector symbols(names.size());
  Rcpp::CharacterVector matrix_names(names.size());
  std::size_t i = 0;
  for (const auto& [name, gene] : names) {
    matrix_names[i] = name;
    symbols[i++] = gene.symbol;
  }
  symbols.names() = matrix_names;
  return symbols;
}

// One row per bicluster and set with a gene in common, most significant first within each
// bicluster: its position among `rows`, the set's position among `set_genes` (both 1-based), the
// counts, p, q and the overlap's rows.
// [[Rcpp::export(.kova_enrichment)]]
Rcpp::List kova_enrichment(Rcpp::CharacterVector matrix_genes, Rcpp::Nullable<Rcpp::CharacterVector> symbols,
                           Rcpp::List set_genes, Rcpp::List rows, Rcpp::List columns) {
  std::vector<kova::GeneSet> sets(static_cast<std::size_t>(set_genes.size()));
  for (R_xlen_t s = 0; s < set_genes.size(); ++s) sets[static_cast<std::size_t>(s)].genes = strings_of(set_genes[s]);
  kova::GeneNames names;
  if (symbols.isNotNull()) {
    const Rcpp::CharacterVector mapped(symbols.get());
    const std::vector<std::string> from = strings_of(mapped.names());
    const std::vector<std::string> to = strings_of(mapped);
    for (std::size_t i = 0; i < from.size(); ++i) names.emplace(from[i], kova::GeneName{to[i], ""});
  }
  const std::vector<std::string> genes = strings_of(matrix_genes);
  const auto found =
      kova::enrichment(genes, symbols.isNotNull() ? &names : nullptr, sets, members_of(rows, columns));
  std::vector<int> bicluster, set, overlap, set_size, bicluster_size, universe;
  std::vector<double> p, q;
  Rcpp::List overlap_rows;
  for (std::size_t k = 0; k < found.size(); ++k) {
    for (const kova::SetEnrichment& e : found[k]) {
      bicluster.push_back(static_cast<int>(k) + 1);
      set.push_back(e.set + 1);
      overlap.push_back(e.overlap);
      set_size.push_back(e.set_size);
      bicluster_size.push_back(e.bicluster_size);
      universe.push_back(e.universe);
      p.push_back(e.p_value);
      q.push_back(e.q_value);
      std::vector<int> members(e.overlap_genes.begin(), e.overlap_genes.end());
      for (int& row : members) ++row;
      overlap_rows.push_back(Rcpp::wrap(members));
    }
  }
  return Rcpp::List::create(Rcpp::Named("bicluster") = bicluster, Rcpp::Named("set") = set,
                            Rcpp::Named("overlap") = overlap, Rcpp::Named("set_size") = set_size,
                            Rcpp::Named("bicluster_genes") = bicluster_size, Rcpp::Named("universe") = universe,
                            Rcpp::Named("p_value") = p, Rcpp::Named("q_value") = q,
                            Rcpp::Named("rows") = overlap_rows);
}

// The titles and the classes, per column, of a sample annotation file of `samples` samples.
// [[Rcpp::export(.kova_read_sample_classes)]]
Rcpp::List kova_read_sample_classes(std::string path, int samples) {
  const kova::SampleAnnotation annotation = kova::read_sample_annotation(path, samples);
  Rcpp::List classes(annotation.classes.size());
  for (std::size_t c = 0; c < annotation.classes.size(); ++c) classes[c] = Rcpp::wrap(annotation.classes[c]);
  classes.names() = Rcpp::wrap(annotation.class_titles);
  return classes;
}

// One row per bicluster, class column and class its samples hold, most significant first within
// each bicluster; `classes` holds a label per sample for every column ("" or "NA": unannotated).
// [[Rcpp::export(.kova_sample_classes)]]
Rcpp::List kova_sample_classes(Rcpp::List classes, Rcpp::List rows, Rcpp::List columns) {
  kova::SampleAnnotation annotation;
  for (R_xlen_t c = 0; c < classes.size(); ++c) annotation.classes.push_back(strings_of(classes[c]));
  const auto found = kova::sample_classes(annotation, members_of(rows, columns));
  std::vector<int> bicluster, column, in_bicluster, bicluster_samples, in_matrix, samples;
  std::vector<std::string> level;
  std::vector<double> p, q;
  for (std::size_t k = 0; k < found.size(); ++k) {
    for (const kova::ClassEnrichment& e : found[k]) {
      bicluster.push_back(static_cast<int>(k) + 1);
      column.push_back(e.column + 1);
      level.push_back(e.level);
      in_bicluster.push_back(e.in_bicluster);
      bicluster_samples.push_back(e.bicluster_samples);
      in_matrix.push_back(e.in_matrix);
      samples.push_back(e.samples);
      p.push_back(e.p_value);
      q.push_back(e.q_value);
    }
  }
  return Rcpp::List::create(Rcpp::Named("bicluster") = bicluster, Rcpp::Named("column") = column,
                            Rcpp::Named("class") = level, Rcpp::Named("in_bicluster") = in_bicluster,
                            Rcpp::Named("bicluster_samples") = bicluster_samples,
                            Rcpp::Named("in_matrix") = in_matrix, Rcpp::Named("samples") = samples,
                            Rcpp::Named("p_value") = p, Rcpp::Named("q_value") = q);
}
