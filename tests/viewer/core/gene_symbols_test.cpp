#include "viewer/core/gene_symbols.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"
#include "viewer/core/table_export.hpp"

namespace kova::viewer {
namespace {

// The worked run: bicluster 1 is g1, g2, g4; 2 is g1, g3; 3 is g1, g5. g2 and g4 are two probes
// of one gene, g3 has no symbol, and the names file holds a name the matrix does not.
class GeneSymbolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run_ = load_run(test::write_run(dir_.path(), test::kWorkedRows, 0.9));
    names_ = {{"g1", {"DDR1", "discoidin domain receptor 1"}},
              {"g2", {"TP53", ""}},
              {"g4", {"TP53", ""}},
              {"g5", {"MARCH1", ""}},
              {"probe_9", {"XYZ", ""}}};
  }
  test::TempDir dir_;
  LoadedRun run_;
  GeneNames names_;
};

TEST_F(GeneSymbolsTest, MapsTheMatrixNamesAndRefusesAFileForOtherNames) {
  const GeneSymbols symbols = symbols_for(run_, names_, "names.tsv");
  EXPECT_EQ(symbols.known, 4);
  EXPECT_EQ(symbols.of_row, (std::vector<std::string>{"DDR1", "TP53", "", "TP53", "MARCH1"}));
  EXPECT_EQ(name_with_symbol("g1", &symbols, 0), "g1 (DDR1)");
  EXPECT_EQ(name_with_symbol("g3", &symbols, 2), "g3");
  EXPECT_EQ(name_with_symbol("g3", nullptr, 0), "g3");

  const GeneNames other = {{"ENSG000001", {"A1BG", ""}}, {"ENSG000002", {"A2M", ""}}};
  try {
    symbols_for(run_, other, "human.tsv");
    FAIL() << "mapped a names file that holds none of the matrix's names";
  } catch (const MeaningFileError& error) {
    EXPECT_EQ(std::string(error.what()),
              "'human.tsv': none of its 2 names is a gene name of the matrix '" + run_.files.matrix.string() +
                  "'; it is meant for other names (another platform or organism?)");
  }
}

TEST_F(GeneSymbolsTest, ListsGenesForToolsAndAsGmt) {
  const GeneSymbols symbols = symbols_for(run_, names_, "names.tsv");
  // Two probes of TP53 are one gene to a tool; a gene without a symbol goes by its name.
  EXPECT_EQ(gene_list_for_tools(run_, 0, &symbols), "DDR1\nTP53\n");
  EXPECT_EQ(gene_list_for_tools(run_, 1, &symbols), "DDR1\ng3\n");
  EXPECT_EQ(gene_list_for_tools(run_, 1, nullptr), "g1\ng3\n");
  const std::vector<std::size_t> order = {2, 0};
  EXPECT_EQ(gmt_lines(run_, order, &symbols),
            "kova_bicluster_3\tresult.txt: bicluster 3, 2 genes x 3 samples\tDDR1\tMARCH1\r\n"
            "kova_bicluster_1\tresult.txt: bicluster 1, 3 genes x 5 samples\tDDR1\tTP53\r\n");
}

TEST_F(GeneSymbolsTest, ExportsCarryTheSymbols) {
  const GeneSymbols symbols = symbols_for(run_, names_, "names.tsv");
  const std::vector<PlainCorrelation> measures(3, PlainCorrelation{0.5, 0.5, 0.5, 1, 0});
  EXPECT_EQ(bicluster_table_text(run_, measures, std::vector<std::size_t>{1}, Separator::kTab, {.symbols = &symbols}),
            "bicluster\tgenes\tsamples\tsize\tmin_r\tmedian_r\tmax_r\tgene_names\tgene_symbols\r\n"
            "2\t2\t3\t6\t0.5\t0.5\t0.5\tg1 g3\tDDR1 -\r\n");
  EXPECT_EQ(bicluster_members_text(run_, std::vector<std::size_t>{2}, nullptr, Separator::kComma, &symbols),
            "bicluster,member,position,name,symbol\r\n"
            "3,gene,1,\"g1\",\"DDR1\"\r\n"
            "3,gene,5,\"g5\",\"MARCH1\"\r\n"
            "3,sample,1,\"sample1\",\r\n"
            "3,sample,3,\"sample3\",\r\n"
            "3,sample,5,\"sample5\",\r\n");
}

}  // namespace
}  // namespace kova::viewer
