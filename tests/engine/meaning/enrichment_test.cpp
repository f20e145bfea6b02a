// Gene-set enrichment and sample classes on small hand-made cases whose counts can be read off.

#include <gtest/gtest.h>

#include "kova/meaning.hpp"
#include "tests/engine/meaning/planted_matrices.hpp"

namespace kova {
namespace {

std::vector<std::string> names(int count, const std::string& prefix) {
  std::vector<std::string> result;
  for (int i = 0; i < count; ++i) result.push_back(prefix + std::to_string(i));
  return result;
}

TEST(Enrichment, CountsOverTheRowsThatMapIntoASet) {
  // 30 rows; g0..g19 in sets, g20..g29 in none (outside the universe of 20).
  const std::vector<std::string> matrix = names(30, "g");
  const std::vector<GeneSet> sets = {
      {"FIRST", "", {"g0", "g1", "g2", "g3", "g4", "g5", "g3"}},  // g3 twice counts once
      {"SECOND",
       "",
       {"g5", "g6", "g7", "g8", "g9", "g10", "g11", "g12", "g13", "g14", "g15", "g16", "g17", "g18", "g19"}},
      {"ELSEWHERE", "", {"ABSENT1", "ABSENT2"}},  // no gene in the universe: no test
  };
  const std::vector<BiclusterMembers> biclusters = {{{0, 1, 2, 3, 25}, {0, 1, 2}}, {{28, 29}, {0, 1, 2}}};
  const auto found = enrichment(matrix, nullptr, sets, biclusters);
  ASSERT_EQ(found.size(), 2u);
  ASSERT_EQ(found[0].size(), 1u);  // only FIRST shares a gene
  const SetEnrichment& first = found[0][0];
  EXPECT_EQ(first.set, 0);
  EXPECT_EQ(first.overlap, 4);
  EXPECT_EQ(first.set_size, 6);
  EXPECT_EQ(first.bicluster_size, 4);  // g25 is outside the universe
  EXPECT_EQ(first.universe, 20);
  EXPECT_EQ(first.overlap_genes, (std::vector<std::int32_t>{0, 1, 2, 3}));
  // phyper(3, 6, 14, 4, lower.tail = FALSE) = choose(6, 4) / choose(20, 4) = 15 / 4845
  EXPECT_NEAR(first.p_value, 15.0 / 4845, 1e-15);
  // Two sets are tests; SECOND is one of them with p = 1.
  EXPECT_NEAR(first.q_value, 2 * 15.0 / 4845, 1e-15);
  EXPECT_TRUE(found[1].empty());
}

TEST(Enrichment, MapsThroughTheGeneNamesAndSortsMostSignificantFirst) {
  const std::vector<std::string> matrix = {"p0", "p1", "p2", "p3", "p4", "p5", "p6", "p7"};
  GeneNames gene_names;
  for (int i = 0; i < 8; ++i) gene_names["p" + std::to_string(i)] = {i < 4 ? "A" + std::to_string(i) : "B", ""};
  gene_names["p7"] = {"", ""};  // no symbol: outside the universe
  const std::vector<GeneSet> sets = {{"SET_B", "", {"B"}}, {"SET_A", "", {"A0", "A1", "A2", "A3"}}};
  const auto found = enrichment(matrix, &gene_names, sets, std::vector<BiclusterMembers>{{{0, 1, 4}, {}}});
  ASSERT_EQ(found[0].size(), 2u);
  // Universe 7 (p0..p6): SET_A holds 4 rows, SET_B 3 (p4, p5, p6 share the symbol B).
  EXPECT_EQ(found[0][0].set, 1);
  EXPECT_EQ(found[0][0].set_size, 4);
  EXPECT_NEAR(found[0][0].p_value, hypergeometric_upper_tail(2, 4, 3, 7), 1e-15);
  EXPECT_EQ(found[0][1].set, 0);
  EXPECT_EQ(found[0][1].set_size, 3);
  EXPECT_EQ(found[0][1].overlap_genes, (std::vector<std::int32_t>{4}));
  EXPECT_LE(found[0][0].p_value, found[0][1].p_value);
}

TEST(Enrichment, SaysWhenNothingMaps) {
  const std::vector<std::string> matrix = {"p0", "p1"};
  const std::vector<GeneSet> sets = {{"S", "", {"TP53"}}};
  const std::vector<BiclusterMembers> none;
  const auto message = [&](const GeneNames* names) -> std::string {
    try {
      enrichment(matrix, names, sets, none);
    } catch (const MeaningFileError& e) {
      return e.what();
    }
    return "(mapped)";
  };
  EXPECT_EQ(message(nullptr),
            "no name of the matrix is a gene of any set: do the sets use other names? A gene-name file can map the "
            "matrix's names to theirs");
  GeneNames other_chip = {{"x0", {"TP53", ""}}};
  EXPECT_EQ(message(&other_chip), "the gene names map none of the matrix's names: is it the file for this matrix?");
  GeneNames no_set = {{"p0", {"MYC", ""}}};
  EXPECT_EQ(message(&no_set), "no symbol the gene names give the matrix's genes is a gene of any set");
}

TEST(Enrichment, TheSetOfAPlantedModuleIsFoundForItsBicluster) {
  const GeneTable table = test::planted_module(10, 300, 30, 8);
  const std::vector<BiclusterMembers> found = test::biclusters_of(table, {300, 30, 0.9, 1'000'000, 0});
  ASSERT_EQ(found[0].genes.size(), 10u);
  std::vector<std::string> matrix;
  for (std::int32_t g = 0; g < table.genes(); ++g) matrix.push_back(table[g].name);
  // The module's set holds its ten genes and twenty others; forty sets of twenty noise genes beside.
  std::vector<GeneSet> sets;
  test::Draws draws(9);
  for (int s = 0; s <= 40; ++s) {
    GeneSet set{"SET" + std::to_string(s), "", {}};
    if (s == 0) {
      for (int g = 0; g < 10; ++g) set.genes.push_back("g" + std::to_string(g));
    }
    while (set.genes.size() < (s == 0 ? 30u : 20u)) {
      set.genes.push_back("g" + std::to_string(10 + static_cast<int>(draws.uniform() * 290)));
    }
    sets.push_back(std::move(set));
  }
  const auto enriched = enrichment(matrix, nullptr, sets, found);
  ASSERT_FALSE(enriched[0].empty());
  EXPECT_EQ(enriched[0][0].set, 0);
  EXPECT_EQ(enriched[0][0].overlap, 10);
  EXPECT_LE(enriched[0][0].q_value, 0.01);
  // A pair of noise genes shares no set beyond chance.
  for (std::size_t b = 1; b < found.size(); ++b) {
    for (const SetEnrichment& e : enriched[b]) EXPECT_GT(e.q_value, 0.01) << b;
  }
}

SampleAnnotation balanced_annotation() {
  SampleAnnotation annotation;
  annotation.class_titles = {"type", "group"};
  annotation.classes.resize(2);
  for (int s = 0; s < 40; ++s) {
    annotation.classes[0].push_back(s < 20 ? "A" : "B");
    annotation.classes[1].push_back(s == 39 ? "NA" : std::string(1, static_cast<char>('w' + s % 4)));
  }
  return annotation;
}

TEST(SampleClasses, ABiclusterOfOneClassOfABalancedAnnotation) {
  BiclusterMembers bicluster{{0, 1}, {}};
  for (std::int32_t s = 0; s < 12; ++s) bicluster.samples.push_back(s);  // all of class A
  const auto found = sample_classes(balanced_annotation(), std::vector<BiclusterMembers>{bicluster});
  ASSERT_EQ(found.size(), 1u);
  const ClassEnrichment& best = found[0][0];
  EXPECT_EQ(best.column, 0);
  EXPECT_EQ(best.level, "A");
  EXPECT_EQ(best.in_bicluster, 12);
  EXPECT_EQ(best.bicluster_samples, 12);
  EXPECT_EQ(best.in_matrix, 20);
  EXPECT_EQ(best.samples, 40);
  // choose(20, 12) / choose(40, 12) = 125970 / 5586853480
  EXPECT_NEAR(best.p_value / (125970.0 / 5586853480.0), 1, 1e-12);
  EXPECT_NEAR(best.q_value, 2 * best.p_value, 1e-18);  // over the column's two classes
  EXPECT_LE(best.q_value, 0.01);
  // The second column: w, x, y, z three times each among samples 0..11, of 10 (z: 9, one NA) in all.
  ASSERT_EQ(found[0].size(), 5u);
  for (std::size_t i = 1; i < found[0].size(); ++i) {
    EXPECT_EQ(found[0][i].column, 1);
    EXPECT_EQ(found[0][i].in_bicluster, 3);
    EXPECT_EQ(found[0][i].samples, 39);  // NA is no class
    EXPECT_GT(found[0][i].q_value, 0.5);
    EXPECT_LE(found[0][i - 1].p_value, found[0][i].p_value);
  }
}

TEST(SampleClasses, BenjaminiHochbergOverTheColumnsClassesWithinTheBicluster) {
  SampleAnnotation annotation;
  annotation.class_titles = {"type"};
  annotation.classes = {{"A", "A", "A", "B", "B", "B", "C", "C", "C", "C"}};
  const auto found = sample_classes(annotation, std::vector<BiclusterMembers>{{{0, 1}, {0, 1, 2, 3}}});
  ASSERT_EQ(found[0].size(), 2u);  // C is held by none of its samples
  const double pa = hypergeometric_upper_tail(3, 3, 4, 10);
  const double pb = hypergeometric_upper_tail(1, 3, 4, 10);
  EXPECT_EQ(found[0][0].level, "A");
  EXPECT_DOUBLE_EQ(found[0][0].p_value, pa);
  EXPECT_DOUBLE_EQ(found[0][0].q_value, pa * 3 / 1);
  EXPECT_EQ(found[0][1].level, "B");
  EXPECT_DOUBLE_EQ(found[0][1].q_value, std::min(1.0, pb * 3 / 2));
}

}  // namespace
}  // namespace kova
