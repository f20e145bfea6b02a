#include "viewer/core/heatmap_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/collecting_sink.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

TEST(HeatmapModel, TheScaleDivergesFromTheCentreAndSaturates) {
  const struct {
    double t;
    Rgb colour;
  } cases[] = {
      {0.0, kCentreColour},
      {1.0, kAboveColour},
      {-1.0, kBelowColour},
      {7.5, kAboveColour},
      {-std::numeric_limits<double>::infinity(), kBelowColour},
      {0.5, {213, 136, 145}},   // halfway from (247,247,247) to (178,24,43), rounded
      {-0.5, {140, 175, 210}},  // halfway to (33,102,172)
      {std::nan(""), kNoValueColour},
  };
  for (const auto& c : cases) {
    const Rgb got = diverging_colour(c.t);
    EXPECT_EQ(got, c.colour) << "t=" << c.t << " got " << int(got.r) << "," << int(got.g) << "," << int(got.b);
  }
}

TEST(HeatmapModel, EachGeneIsCentredOnItsOwnMeanAndSpread) {
  const std::vector<double> row = {1, 2, 3, 4, 5};  // mean 3, standard deviation sqrt(2)
  const std::vector<double> centred = centred_row(row);
  for (std::size_t s = 0; s < row.size(); ++s) {
    EXPECT_DOUBLE_EQ(centred[s], (row[s] - 3) / (std::sqrt(2.0) * kFullScaleDeviations));
  }
  // Scaling and shifting a gene changes nothing: the scale is per gene.
  const std::vector<double> shifted = centred_row(std::vector<double>{110, 120, 130, 140, 150});
  for (std::size_t s = 0; s < row.size(); ++s) EXPECT_NEAR(shifted[s], centred[s], 1e-12);

  EXPECT_EQ(centred_row(std::vector<double>{4, 4, 4}), (std::vector<double>{0, 0, 0}));
  const std::vector<double> with_infinity =
      centred_row(std::vector<double>{1, std::numeric_limits<double>::infinity(), 3});
  EXPECT_TRUE(std::isnan(with_infinity[1]));
  EXPECT_DOUBLE_EQ(with_infinity[0], -1 / kFullScaleDeviations);
  EXPECT_DOUBLE_EQ(with_infinity[2], 1 / kFullScaleDeviations);
}

TEST(HeatmapModel, SelectedSamplesComeFirstAndEveryCellKeepsItsValue) {
  const GeneTable table = test::make_table(test::kWorkedRows);
  const std::vector<std::int32_t> rows = {0, 2};
  const std::vector<std::int32_t> samples = {1, 3, 4};
  const HeatmapModel model = build_heatmap(table, rows, samples);
  EXPECT_EQ(model.rows, rows);
  EXPECT_EQ(model.columns, (std::vector<std::int32_t>{1, 3, 4, 0, 2}));
  EXPECT_EQ(model.selected_columns, 3);
  ASSERT_EQ(model.cells.size(), 10u);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<double> centred = centred_row(table.row(rows[r]));
    for (std::size_t c = 0; c < model.columns.size(); ++c) {
      EXPECT_EQ(model.cell(r, c), diverging_colour(centred[static_cast<std::size_t>(model.columns[c])]))
          << "row " << r << " column " << c;
    }
  }
  // Gene g1 rises over the samples: its first sample is below its mean, its last above.
  EXPECT_EQ(model.cell(0, 3).b > model.cell(0, 3).r, true);
  EXPECT_EQ(model.cell(0, 2).r > model.cell(0, 2).b, true);

  const HeatmapModel all = build_heatmap(table, rows, std::vector<std::int32_t>{0, 1, 2, 3, 4});
  EXPECT_EQ(all.columns, (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(all.selected_columns, 5);
}

}  // namespace
}  // namespace kova::viewer
