#pragma once
// The bicluster table and the biclusters' members as CSV or TSV text, for spreadsheets and
// scripts. Lines end with CR LF; in CSV, names and classes are always quoted (a spreadsheet keeps
// a quoted 01005 as text), other fields where they hold a comma, a quote or a line break; an
// undefined r is written NA.

#include <cstddef>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/gene_symbols.hpp"
#include "viewer/core/run_data.hpp"
#include "viewer/core/run_meaning.hpp"
#include "kova/meaning.hpp"

namespace kova::viewer {

class ExportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Separator { kTab, kComma };

// Comma for a name ending in .csv (any case), tab otherwise.
Separator separator_for(const std::filesystem::path& path);

// What the table carries besides the run itself, where known.
struct TableExtras {
  const GeneSymbols* symbols = nullptr;
  const RunMeaning* meaning = nullptr;
  const SampleAnnotation* annotation = nullptr;  // the titles of the classes in `meaning`
};

// One line per bicluster of `order` (0-based positions in the run): number, genes, samples, size,
// smallest, median and largest plain r, and the gene names separated by blanks; with symbols then
// their symbols, in the same order, "-" where none is known; with a significance run its p_value
// and expected; with gene sets the best set and its q; with sample classes the best class (its
// column and level) and its q. What a bicluster lacks is written NA.
std::string bicluster_table_text(const LoadedRun& run, const std::vector<PlainCorrelation>& measures,
                                 std::span<const std::size_t> order, Separator separator,
                                 const TableExtras& extras = {});

// One line per member of each bicluster of `order`: its number, "gene" or "sample", the gene's
// row or the sample's column (1-based), its name, with `symbols` the gene's symbol, and for
// samples their classes.
std::string bicluster_members_text(const LoadedRun& run, std::span<const std::size_t> order,
                                   const SampleAnnotation* annotation, Separator separator,
                                   const GeneSymbols* symbols = nullptr);

// All biclusters of the run, in file order.
std::vector<std::size_t> every_bicluster(const LoadedRun& run);

// Throws ExportError naming the file when it cannot be written whole.
void write_text_file(const std::filesystem::path& path, const std::string& text);

}  // namespace kova::viewer
