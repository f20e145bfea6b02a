#include "viewer/core/class_levels.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace kova::viewer {
namespace {

std::string merge_error(std::string_view text) {
  try {
    parse_level_merges(text);
  } catch (const LevelMergeError& error) {
    return error.what();
  }
  return "(read)";
}

TEST(ClassLevels, ReadsMergesAndRefusesWhatItCannotRead) {
  const std::vector<LevelMerge> merges = parse_level_merges(" B1, B2,B3 ,B4 = B ;; T1,T2=T cell ;");
  ASSERT_EQ(merges.size(), 2u);
  EXPECT_EQ(merges[0].levels, (std::vector<std::string>{"B1", "B2", "B3", "B4"}));
  EXPECT_EQ(merges[0].into, "B");
  EXPECT_EQ(merges[1].into, "T cell");
  EXPECT_TRUE(parse_level_merges("  ").empty());

  EXPECT_NE(merge_error("B1,B2").find("'B1,B2' has no '='"), std::string::npos);
  EXPECT_NE(merge_error("B1,B2=").find("needs one new level after '='"), std::string::npos);
  EXPECT_NE(merge_error("B1=B=C").find("needs one new level"), std::string::npos);
  EXPECT_NE(merge_error("B1,,B2=B").find("has an empty level"), std::string::npos);
  EXPECT_NE(merge_error("B1,B2=B; B2,B3=C").find("level 'B2' is merged twice"), std::string::npos);
}

TEST(ClassLevels, MergesLevelsInEveryClassColumn) {
  SampleAnnotation annotation;
  annotation.class_titles = {"BT", "relapse"};
  annotation.classes = {{"B1", "B", "T2", "B4", ""}, {"B1", "no", "yes", "no", "no"}};
  merge_levels(annotation, parse_level_merges("B1,B2,B3,B4=B;T1,T2=T"));
  EXPECT_EQ(annotation.classes[0], (std::vector<std::string>{"B", "B", "T", "B", ""}));
  EXPECT_EQ(annotation.classes[1], (std::vector<std::string>{"B", "no", "yes", "no", "no"}));
}

TEST(ClassLevels, SortsLevelsInNaturalOrder) {
  std::vector<std::string> levels = {"B10", "B2", "b1", "B", "B02", "T1", "B1", "10", "9"};
  std::sort(levels.begin(), levels.end(), [](const std::string& a, const std::string& b) { return natural_less(a, b); });
  EXPECT_EQ(levels, (std::vector<std::string>{"9", "10", "B", "B1", "B2", "B02", "B10", "T1", "b1"}));
  for (const auto& [a, b] : {std::pair{"x", "x"}, std::pair{"B02", "B02"}}) EXPECT_FALSE(natural_less(a, b));
}

// In ALL.meta, B2 (BT) and BCR/ABL (mol.biol) were both drawn in the first colour of their column.
TEST(ClassLevels, NoTwoLevelsOfAnyColumnsShareAColour) {
  SampleAnnotation annotation;
  annotation.class_titles = {"BT", "mol.biol", "many"};
  annotation.classes = {{"B2", "B10", "B1", "T", ""}, {"BCR/ABL", "NEG", "BCR/ABL", "ALL1/AF4", "NEG"}, {}};
  for (int i = 0; i < 60; ++i) annotation.classes[2].push_back("level" + std::to_string(i));
  const std::vector<ClassColours> columns = class_colours(annotation);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_EQ(columns[0].title, "BT");
  EXPECT_EQ(columns[0].levels, (std::vector<std::string>{"B1", "B2", "B10", "T", ""}));
  EXPECT_EQ(columns[0].colours.back(), kNoLabelColour);
  EXPECT_EQ(columns[1].levels, (std::vector<std::string>{"ALL1/AF4", "BCR/ABL", "NEG"}));
  EXPECT_EQ(columns[0].colour_of("B2"), columns[0].colours[1]);
  EXPECT_EQ(columns[0].colour_of("missing"), kNoLabelColour);

  std::set<std::tuple<int, int, int>> seen;
  std::size_t labelled = 0;
  for (const ClassColours& column : columns) {
    for (std::size_t i = 0; i < column.levels.size(); ++i) {
      if (column.levels[i].empty()) continue;
      ++labelled;
      const Rgb c = column.colours[i];
      EXPECT_NE(c, kNoLabelColour);
      seen.emplace(c.r, c.g, c.b);
    }
  }
  EXPECT_EQ(labelled, 4u + 3u + 60u);
  EXPECT_EQ(seen.size(), labelled);
}

}  // namespace
}  // namespace kova::viewer
