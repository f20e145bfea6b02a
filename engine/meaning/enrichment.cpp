// Gene-set enrichment: per bicluster, the hypergeometric test of its genes against every set,
// counted over the matrix's rows (a probe is one draw, as the search takes it), the universe
// being the rows that map into at least one set.

#include <algorithm>
#include <unordered_map>

#include "engine/meaning/false_discovery.hpp"
#include "kova/meaning.hpp"

namespace kova {
namespace {

// The sets each of the matrix's rows falls in (none: outside the universe).
std::vector<std::vector<std::int32_t>> sets_of_rows(std::span<const std::string> matrix_genes, const GeneNames* names,
                                                    std::span<const GeneSet> sets) {
  std::unordered_map<std::string, std::vector<std::int32_t>> sets_of_symbol;
  for (std::size_t s = 0; s < sets.size(); ++s) {
    for (const std::string& gene : sets[s].genes) {
      // A gene listed twice in a set (sets from R or Python need not be checked) counts once.
      std::vector<std::int32_t>& in_sets = sets_of_symbol[gene];
      if (in_sets.empty() || in_sets.back() != static_cast<std::int32_t>(s))
        in_sets.push_back(static_cast<std::int32_t>(s));
    }
  }
  std::vector<std::vector<std::int32_t>> rows(matrix_genes.size());
  for (std::size_t row = 0; row < matrix_genes.size(); ++row) {
    const std::string* symbol = &matrix_genes[row];
    if (names != nullptr) {
      const auto named = names->find(matrix_genes[row]);
      if (named == names->end()) continue;
      symbol = &named->second.symbol;
    }
    if (const auto found = sets_of_symbol.find(*symbol); found != sets_of_symbol.end()) rows[row] = found->second;
  }
  return rows;
}

std::string nothing_maps(std::span<const std::string> matrix_genes, const GeneNames* names) {
  if (names == nullptr) {
    return "no name of the matrix is a gene of any set: do the sets use other names? A gene-name file can map "
           "the matrix's names to theirs";
  }
  const bool any_named = std::any_of(matrix_genes.begin(), matrix_genes.end(),
                                     [&](const std::string& name) { return names->contains(name); });
  return any_named ? "no symbol the gene names give the matrix's genes is a gene of any set"
                   : "the gene names map none of the matrix's names: is it the file for this matrix?";
}

}  // namespace

std::vector<std::vector<SetEnrichment>> enrichment(std::span<const std::string> matrix_genes, const GeneNames* names,
                                                   std::span<const GeneSet> sets,
                                                   std::span<const BiclusterMembers> biclusters) {
  const std::vector<std::vector<std::int32_t>> rows = sets_of_rows(matrix_genes, names, sets);
  std::int32_t universe = 0;
  std::vector<std::int32_t> set_sizes(sets.size(), 0);
  for (const std::vector<std::int32_t>& in_sets : rows) {
    if (!in_sets.empty()) ++universe;
    for (std::int32_t s : in_sets) ++set_sizes[static_cast<std::size_t>(s)];
  }
  if (universe == 0) throw MeaningFileError(nothing_maps(matrix_genes, names));
  // Sets with no gene in the universe cannot be drawn from: they are no test.
  const auto tests =
      static_cast<std::size_t>(std::count_if(set_sizes.begin(), set_sizes.end(), [](auto n) { return n > 0; }));

  std::vector<std::vector<SetEnrichment>> results(biclusters.size());
  std::unordered_map<std::int32_t, std::size_t> entry_of_set;
  for (std::size_t b = 0; b < biclusters.size(); ++b) {
    std::vector<SetEnrichment>& found = results[b];
    entry_of_set.clear();
    std::int32_t drawn = 0;
    for (std::int32_t row : biclusters[b].genes) {
      const std::vector<std::int32_t>& in_sets = rows.at(static_cast<std::size_t>(row));
      if (!in_sets.empty()) ++drawn;
      for (std::int32_t s : in_sets) {
        const auto [at, added] = entry_of_set.emplace(s, found.size());
        if (added) {
          found.emplace_back();
          found.back().set = s;
          found.back().set_size = set_sizes[static_cast<std::size_t>(s)];
        }
        SetEnrichment& entry = found[at->second];
        ++entry.overlap;
        entry.overlap_genes.push_back(row);
      }
    }
    std::vector<double> p_values;
    p_values.reserve(found.size());
    for (SetEnrichment& entry : found) {
      entry.bicluster_size = drawn;
      entry.universe = universe;
      entry.p_value = hypergeometric_upper_tail(entry.overlap, entry.set_size, drawn, universe);
      p_values.push_back(entry.p_value);
    }
    const std::vector<double> q_values = benjamini_hochberg(p_values, tests);
    for (std::size_t i = 0; i < found.size(); ++i) found[i].q_value = q_values[i];
    std::sort(found.begin(), found.end(), [](const SetEnrichment& a, const SetEnrichment& b) {
      return a.p_value != b.p_value ? a.p_value < b.p_value : a.set < b.set;
    });
  }
  return results;
}

}  // namespace kova
