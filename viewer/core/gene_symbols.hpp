#pragma once
// The matrix's gene names (probe or Ensembl IDs) beside the symbols a biologist knows them by,
// from a gene names file (kova/meaning.hpp), and a bicluster's genes as web tools and gene-set
// tools take them: one a line, or as a line of a GMT file.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "kova/meaning.hpp"
#include "viewer/core/run_data.hpp"

namespace kova::viewer {

// The symbol of every row of the run's matrix; "" where the names file has none.
struct GeneSymbols {
  std::filesystem::path file;
  std::vector<std::string> of_row;
  std::int32_t known = 0;  // rows with a symbol

  const std::string& of(std::int32_t row) const { return of_row[static_cast<std::size_t>(row)]; }
};

// Throws MeaningFileError naming `file` and the matrix when no name of the matrix has a symbol
// there: a names file for another platform or organism.
GeneSymbols symbols_for(const LoadedRun& run, const GeneNames& names, const std::filesystem::path& file);

// "1007_s_at (DDR1)", or the name alone where no symbol is known.
std::string name_with_symbol(const std::string& name, const GeneSymbols* symbols, std::int32_t row);

// The bicluster's genes, one a line (LF), each by its symbol where known and else by the matrix's
// name, each once: what enrichment web tools take pasted.
std::string gene_list_for_tools(const LoadedRun& run, std::size_t index, const GeneSymbols* symbols);

// One GMT line per bicluster of `order`: "kova_bicluster_N", a description naming the output file
// and the bicluster's size, then its genes as gene_list_for_tools gives them; lines end CR LF.
std::string gmt_lines(const LoadedRun& run, std::span<const std::size_t> order, const GeneSymbols* symbols);

}  // namespace kova::viewer
