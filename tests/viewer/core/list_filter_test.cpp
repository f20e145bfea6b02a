#include "viewer/core/list_filter.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kova::viewer {
namespace {

ResultBicluster bicluster(std::vector<std::string> genes, std::int32_t samples) {
  ResultBicluster b;
  b.genes = std::move(genes);
  for (std::int32_t s = 1; s <= samples; ++s) b.samples.push_back(s);
  return b;
}

TEST(ListFilter, KeepsBiclustersOfAtLeastSoManyGenesAndSamples) {
  const ResultBicluster pair = bicluster({"g1", "g2"}, 30);
  const ResultBicluster module = bicluster({"g1", "g7", "g8", "g9"}, 12);
  ListFilter filter;
  EXPECT_FALSE(filter.any());
  filter.least_genes = 3;
  EXPECT_TRUE(filter.any());
  EXPECT_FALSE(passes(filter, pair, nullptr));
  EXPECT_TRUE(passes(filter, module, nullptr));
  filter.least_samples = 13;
  EXPECT_FALSE(passes(filter, module, nullptr));
  filter.least_genes = 0;
  EXPECT_TRUE(passes(filter, pair, nullptr));
  filter.least_samples = 30;
  EXPECT_TRUE(passes(filter, pair, nullptr));
}

TEST(ListFilter, PlainRPassesUntilMeasuredAndNeverWhenUndefined) {
  const ResultBicluster b = bicluster({"g1", "g2", "g3"}, 5);
  ListFilter filter;
  filter.least_plain_r = 0.8;
  EXPECT_TRUE(passes(filter, b, nullptr));
  PlainCorrelation measure{0.85, 0.9, 0.95, 3, 0};
  EXPECT_TRUE(passes(filter, b, &measure));
  measure.smallest = 0.79;
  EXPECT_FALSE(passes(filter, b, &measure));
  measure = {0.9, 0.9, 0.9, 3, 2};  // one constant gene: two pairs undefined
  EXPECT_FALSE(passes(filter, b, &measure));
  measure = {NAN, NAN, NAN, 3, 3};
  EXPECT_FALSE(passes(filter, b, &measure));
}

TEST(ListFilter, GeneTextMatchesNamesAndSymbolsWhateverTheCase) {
  const ResultBicluster b = bicluster({"1007_s_at", "31307_AT"}, 5);
  ListFilter filter;
  filter.set_gene_text("  31307_at ");
  EXPECT_EQ(filter.gene_text, "31307_at");
  EXPECT_TRUE(passes(filter, b, nullptr));
  filter.set_gene_text("DDR1");
  EXPECT_FALSE(passes(filter, b, nullptr));
  const std::vector<std::string> symbols = {"DDR1", ""};
  EXPECT_TRUE(passes(filter, b, nullptr, &symbols));
  filter.set_gene_text("ddr");
  EXPECT_TRUE(passes(filter, b, nullptr, &symbols));
  filter.set_gene_text("ddr2");
  EXPECT_FALSE(passes(filter, b, nullptr, &symbols));
}

}  // namespace
}  // namespace kova::viewer
