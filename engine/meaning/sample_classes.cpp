// Sample classes: per bicluster and class column, the hypergeometric test of each class its
// samples hold, over the matrix's annotated samples of that column.

#include <algorithm>
#include <map>
#include <stdexcept>

#include "engine/meaning/false_discovery.hpp"
#include "kova/meaning.hpp"

namespace kova {
namespace {

// An empty label or NA marks a sample the column does not annotate.
bool annotated(const std::string& label) { return !label.empty() && label != "NA"; }

struct ClassColumn {
  std::map<std::string, std::int32_t> samples_of_class;
  std::int32_t annotated_samples = 0;
};

ClassColumn count_column(const std::vector<std::string>& labels) {
  ClassColumn column;
  for (const std::string& label : labels) {
    if (!annotated(label)) continue;
    ++column.samples_of_class[label];
    ++column.annotated_samples;
  }
  return column;
}

}  // namespace

std::vector<std::vector<ClassEnrichment>> sample_classes(const SampleAnnotation& annotation,
                                                         std::span<const BiclusterMembers> biclusters) {
  std::vector<ClassColumn> columns;
  for (const std::vector<std::string>& labels : annotation.classes) columns.push_back(count_column(labels));

  std::vector<std::vector<ClassEnrichment>> results(biclusters.size());
  std::map<std::string, std::int32_t> held;
  for (std::size_t b = 0; b < biclusters.size(); ++b) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const std::vector<std::string>& labels = annotation.classes[c];
      held.clear();
      std::int32_t drawn = 0;
      for (std::int32_t sample : biclusters[b].samples) {
        const std::string& label = labels.at(static_cast<std::size_t>(sample));
        if (!annotated(label)) continue;
        ++held[label];
        ++drawn;
      }
      const std::size_t first = results[b].size();
      std::vector<double> p_values;
      for (const auto& [level, count] : held) {
        ClassEnrichment entry{static_cast<std::int32_t>(c), level, count, drawn, columns[c].samples_of_class.at(level),
                              columns[c].annotated_samples};
        entry.p_value = hypergeometric_upper_tail(count, entry.in_matrix, drawn, entry.samples);
        p_values.push_back(entry.p_value);
        results[b].push_back(std::move(entry));
      }
      const std::vector<double> q_values = benjamini_hochberg(p_values, columns[c].samples_of_class.size());
      for (std::size_t i = 0; i < q_values.size(); ++i) results[b][first + i].q_value = q_values[i];
    }
    std::stable_sort(results[b].begin(), results[b].end(),
                     [](const ClassEnrichment& x, const ClassEnrichment& y) { return x.p_value < y.p_value; });
  }
  return results;
}

}  // namespace kova
