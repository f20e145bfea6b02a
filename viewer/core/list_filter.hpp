#pragma once
// Which biclusters the list keeps: a gene name (or symbol) that holds the typed text, a smallest
// plain r, at least so many genes and samples, and at most a p-value, a best gene set's q and a
// best sample class's q. Kept here, without the toolkit, so the list
// and any export of it agree.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/result_files.hpp"
#include "viewer/core/run_meaning.hpp"

namespace kova::viewer {

struct ListFilter {
  std::string gene_text;                // lower case; empty: any
  std::optional<double> least_plain_r;  // every gene pair at least this
  std::int32_t least_genes = 0;
  std::int32_t least_samples = 0;
  // A bicluster without the value (not tested, no set or class at all) does not pass these.
  std::optional<double> most_p;
  std::optional<double> most_set_q;
  std::optional<double> most_class_q;

  // Lower-cases `text` and trims blanks at both ends.
  void set_gene_text(std::string_view text);
  bool any() const {
    return !gene_text.empty() || least_plain_r || least_genes > 0 || least_samples > 0 || most_p || most_set_q ||
           most_class_q;
  }
};

// `measure` is nullptr until the plain r are computed: the r part then lets the bicluster pass.
// `symbols`, where given, holds the bicluster's gene symbols (an empty one where none is known),
// which the gene text is matched against as well.
// `meaning` is the bicluster's summary of what is known of its meaning, or nullptr when nothing is.
bool passes(const ListFilter& filter, const ResultBicluster& bicluster, const PlainCorrelation* measure,
            const std::vector<std::string>* symbols = nullptr, const MeaningSummary* meaning = nullptr);

}  // namespace kova::viewer
