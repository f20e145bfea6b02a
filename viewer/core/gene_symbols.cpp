#include "viewer/core/gene_symbols.hpp"

#include <unordered_set>

namespace kova::viewer {
namespace {

std::vector<std::string> genes_for_tools(const LoadedRun& run, std::size_t index, const GeneSymbols* symbols) {
  std::vector<std::string> genes;
  std::unordered_set<std::string> seen;
  const std::vector<std::int32_t>& rows = run.gene_rows[index];
  for (std::size_t g = 0; g < rows.size(); ++g) {
    const std::string* symbol = symbols != nullptr && !symbols->of(rows[g]).empty() ? &symbols->of(rows[g]) : nullptr;
    // Two probes of one gene are one gene to a tool.
    const std::string& gene = symbol != nullptr ? *symbol : run.biclusters[index].genes[g];
    if (seen.insert(gene).second) genes.push_back(gene);
  }
  return genes;
}

}  // namespace

GeneSymbols symbols_for(const LoadedRun& run, const GeneNames& names, const std::filesystem::path& file) {
  GeneSymbols symbols;
  symbols.file = file;
  symbols.of_row.resize(static_cast<std::size_t>(run.table.genes()));
  for (std::int32_t row = 0; row < run.table.genes(); ++row) {
    const auto found = names.find(run.table[row].name);
    if (found == names.end() || found->second.symbol.empty()) continue;
    symbols.of_row[static_cast<std::size_t>(row)] = found->second.symbol;
    ++symbols.known;
  }
  if (symbols.known == 0) {
    throw MeaningFileError("'" + file.string() + "': none of its " + std::to_string(names.size()) +
                           " names is a gene name of the matrix '" + run.files.matrix.string() +
                           "'; it is meant for other names (another platform or organism?)");
  }
  return symbols;
}

std::string name_with_symbol(const std::string& name, const GeneSymbols* symbols, std::int32_t row) {
  if (symbols == nullptr || symbols->of(row).empty()) return name;
  return name + " (" + symbols->of(row) + ")";
}

std::string gene_list_for_tools(const LoadedRun& run, std::size_t index, const GeneSymbols* symbols) {
  std::string text;
  for (const std::string& gene : genes_for_tools(run, index, symbols)) text += gene + "\n";
  return text;
}

std::string gmt_lines(const LoadedRun& run, std::span<const std::size_t> order, const GeneSymbols* symbols) {
  std::string text;
  for (std::size_t index : order) {
    const ResultBicluster& b = run.biclusters[index];
    text += "kova_bicluster_" + std::to_string(b.number) + "\t" + run.files.output.filename().string() +
            ": bicluster " + std::to_string(b.number) + ", " + std::to_string(b.genes.size()) + " genes x " +
            std::to_string(b.samples.size()) + " samples";
    for (const std::string& gene : genes_for_tools(run, index, symbols)) text += "\t" + gene;
    text += "\r\n";
  }
  return text;
}

}  // namespace kova::viewer
