#pragma once
// What a bicluster means: how likely a bicluster as large is to arise by accident (the same search
// on matrices whose co-expression is destroyed), which gene sets its genes share, and which sample
// classes its samples hold. Every door (kova2's batch mode, kovaview, R, Python) asks here.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <span>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/meaning/sample_annotation.hpp"
#include "engine/model/gene_table.hpp"
#include "kova/run_settings.hpp"

namespace kova {

// One bicluster as the tests see it: 0-based rows (genes) and columns (samples) of the matrix.
struct BiclusterMembers {
  std::vector<std::int32_t> genes;
  std::vector<std::int32_t> samples;
};

// A gene-set, gene-name or sample-class file that cannot be used; the message names the file, the
// line where there is one, and the reason.
class MeaningFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- Significance by permutation

struct SignificanceSettings {
  std::int32_t runs = 100;  // null matrices searched
  std::uint64_t seed = 1;   // the same seed gives the same null matrices on every platform
};

struct Significance {
  // (1 + null runs that yield a bicluster at least as large in genes and in samples) / (runs + 1):
  // a family-wise p-value over all the run's biclusters.
  double p_value = 1.0;
  // The mean number, per null run, of biclusters at least as large in genes and in samples.
  double expected = 0.0;
};

// Called on the calling thread after every null run.
using NullRunProgress = std::function<void(std::int32_t runs_done, std::int32_t runs)>;

// Searches `how.runs` null matrices, each gene's values permuted over the samples independently
// (from `how.seed`), with `settings` (validated as search() does), and rates every bicluster of
// the real run. The result does not depend on the threads or the vector width. Throws
// RunSettingsError, std::invalid_argument for runs < 1, and SearchStopped once `stop` is requested.
std::vector<Significance> significance(const GeneTable& table, const RunSettings& settings,
                                       std::span<const BiclusterMembers> biclusters,
                                       const SignificanceSettings& how, const NullRunProgress& progress = {},
                                       std::stop_token stop = {});

// ---- Hypergeometric tests and false discovery rate

// P(X >= drawn_hits) for X hypergeometric: `drawn` items taken from `population` items of which
// `hits` are hits. Exact to a relative 1e-12 and more over the range of every matrix.
double hypergeometric_upper_tail(std::int64_t drawn_hits, std::int64_t hits, std::int64_t drawn,
                                 std::int64_t population);

// Benjamini-Hochberg q-values, in the order of `p_values`.
std::vector<double> benjamini_hochberg(std::span<const double> p_values);

// ---- Gene sets

struct GeneSet {
  std::string name;
  std::string description;
  std::vector<std::string> genes;
};

// GMT: one set per line, its name, a description, then its genes, tab separated.
std::vector<GeneSet> parse_gene_sets(std::istream& in, const std::string& file);
std::vector<GeneSet> read_gene_sets(const std::filesystem::path& path);

struct GeneName {
  std::string symbol;
  std::string description;
};
// The matrix's names (probe or Ensembl IDs) to the names the sets use.
using GeneNames = std::unordered_map<std::string, GeneName>;

// One line per gene: the matrix's name, the symbol, a description, tab separated.
GeneNames parse_gene_names(std::istream& in, const std::string& file);
GeneNames read_gene_names(const std::filesystem::path& path);

struct SetEnrichment {
  std::int32_t set = 0;                     // index into the sets
  std::int32_t overlap = 0;                 // the bicluster's genes in the set
  std::int32_t set_size = 0;                // the set's genes in the universe
  std::int32_t bicluster_size = 0;          // the bicluster's genes in the universe
  std::int32_t universe = 0;                // the matrix's genes that map into at least one set
  double p_value = 1.0;
  double q_value = 1.0;                     // Benjamini-Hochberg over the sets, within the bicluster
  std::vector<std::int32_t> overlap_genes;  // 0-based rows of the matrix
};

// For every bicluster, its sets with at least one gene in common, most significant first. A name
// of the matrix maps through `names` where given (else it is its own symbol). Throws
// MeaningFileError when no name of the matrix maps into any set.
std::vector<std::vector<SetEnrichment>> enrichment(std::span<const std::string> matrix_genes,
                                                   const GeneNames* names, std::span<const GeneSet> sets,
                                                   std::span<const BiclusterMembers> biclusters);

// ---- Sample classes

struct ClassEnrichment {
  std::int32_t column = 0;     // the annotation's class column
  std::string level;           // the class
  std::int32_t in_bicluster = 0;  // the bicluster's samples of this class
  std::int32_t bicluster_samples = 0;
  std::int32_t in_matrix = 0;     // the matrix's samples of this class
  std::int32_t samples = 0;       // the matrix's annotated samples
  double p_value = 1.0;
  double q_value = 1.0;  // Benjamini-Hochberg over the column's classes, within the bicluster
};

// For every bicluster, every class of every column that its samples hold, most significant first.
std::vector<std::vector<ClassEnrichment>> sample_classes(const SampleAnnotation& annotation,
                                                         std::span<const BiclusterMembers> biclusters);

}  // namespace kova
