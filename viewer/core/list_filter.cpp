#include "viewer/core/list_filter.hpp"

#include <algorithm>
#include <cctype>

namespace kova::viewer {
namespace {

bool contains_lower(std::string_view name, const std::string& lower_text) {
  const auto lower_equal = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
  };
  return std::search(name.begin(), name.end(), lower_text.begin(), lower_text.end(), lower_equal) != name.end();
}

}  // namespace

void ListFilter::set_gene_text(std::string_view text) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  gene_text.assign(text);
  std::transform(gene_text.begin(), gene_text.end(), gene_text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
}

bool passes(const ListFilter& filter, const ResultBicluster& bicluster, const PlainCorrelation* measure,
            const std::vector<std::string>* symbols, const MeaningSummary* meaning) {
  const auto at_most = [](const std::optional<double>& most, std::optional<double> value) {
    return !most || (value && *value <= *most);
  };
  const MeaningSummary none;
  const MeaningSummary& known = meaning != nullptr ? *meaning : none;
  if (!at_most(filter.most_p, known.p_value)) return false;
  if (!at_most(filter.most_set_q, known.best_set ? std::optional(known.best_set->q_value) : std::nullopt)) return false;
  if (!at_most(filter.most_class_q, known.best_class ? std::optional(known.best_class->q_value) : std::nullopt)) {
    return false;
  }
  if (static_cast<std::int64_t>(bicluster.genes.size()) < filter.least_genes) return false;
  if (static_cast<std::int64_t>(bicluster.samples.size()) < filter.least_samples) return false;
  // An undefined pair is not at least anything.
  if (filter.least_plain_r && measure != nullptr &&
      (measure->undefined > 0 || !(measure->smallest >= *filter.least_plain_r))) {
    return false;
  }
  if (filter.gene_text.empty()) return true;
  for (const std::string& name : bicluster.genes) {
    if (contains_lower(name, filter.gene_text)) return true;
  }
  if (symbols != nullptr) {
    for (const std::string& symbol : *symbols) {
      if (contains_lower(symbol, filter.gene_text)) return true;
    }
  }
  return false;
}

}  // namespace kova::viewer
