#pragma once
// What the biclusters of an open run mean, as far as the user has given the files for it: the
// p-values of a significance run (`<output>.significance.tsv`, written beside the output file by
// kova2 --significance), the gene sets they share (a GMT file) and the sample classes they hold
// (the sample annotation), computed through the engine's meaning room.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kova/meaning.hpp"
#include "viewer/core/gene_symbols.hpp"
#include "viewer/core/run_data.hpp"

namespace kova::viewer {

// Where kova2 writes the p-values of the run whose output file is `output`.
std::filesystem::path significance_file_for(const std::filesystem::path& output);

// Tab-separated with a title line naming the columns, in any order: `bicluster` (its 1-based
// number), `p_value` and `expected`; other columns are passed over, lines starting with '#'
// too. One entry per bicluster of the run; a bicluster the file does not list has none. Throws
// MeaningFileError naming `file`, the line and the reason.
std::vector<std::optional<Significance>> parse_significance(std::string_view text, const std::string& file,
                                                            std::size_t biclusters);

// The biclusters of the run as the meaning room takes them: 0-based rows and samples.
std::vector<BiclusterMembers> members_of(const LoadedRun& run);

struct RunMeaning {
  std::filesystem::path significance_file;  // empty: no significance
  std::vector<std::optional<Significance>> significance;
  std::filesystem::path sets_file;  // empty: no gene sets
  std::vector<GeneSet> sets;
  std::vector<std::vector<SetEnrichment>> enrichment;  // per bicluster, most significant first
  std::vector<std::vector<ClassEnrichment>> classes;   // per bicluster; empty: no annotation

  std::optional<double> p_value(std::size_t index) const;
};

// Reads `<output>.significance.tsv` when it is there; leaves `meaning` as it was when it is not.
void read_significance_beside(const LoadedRun& run, RunMeaning& meaning);

// The enrichment of every bicluster in `sets` (read from `file`), the matrix's names mapped
// through `names` where given. Throws MeaningFileError naming `file` when no gene maps into a set.
void enrich(const LoadedRun& run, const GeneNames* names, std::vector<GeneSet> sets, const std::filesystem::path& file,
            RunMeaning& meaning);

// The best of each, for the list: smallest q first, then smallest p.
struct MeaningSummary {
  std::optional<double> p_value;
  const SetEnrichment* best_set = nullptr;
  const ClassEnrichment* best_class = nullptr;
};
MeaningSummary summarise(const RunMeaning& meaning, std::size_t index);

// "GO_X (q 0.0012)" and "BT B2: 17 of 20 (q 1e-06)" for the list; "" where there is none.
std::string best_set_text(const RunMeaning& meaning, const MeaningSummary& summary);
std::string best_class_text(const SampleAnnotation& annotation, const MeaningSummary& summary);

// The detail pane of bicluster `index`: its p-value, its enriched sets (q at most `most_q`, at most
// `most_sets` of them) with the genes of each overlap, and the classes of its samples.
std::string meaning_text(const LoadedRun& run, const RunMeaning& meaning, std::size_t index,
                         const SampleAnnotation* annotation, const GeneSymbols* symbols, double most_q = 0.25,
                         std::size_t most_sets = 20);

}  // namespace kova::viewer
