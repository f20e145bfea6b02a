#pragma once
// What a bicluster's heatmap shows, independent of how it is drawn: which row and column every
// cell belongs to, and its colour on a diverging scale centred on each gene's own mean.

#include <cstdint>
#include <span>
#include <vector>

#include "kova/matrix.hpp"

namespace kova::viewer {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The ends and the centre of the scale, and the colour of a value that is not finite.
inline constexpr Rgb kBelowColour{33, 102, 172};
inline constexpr Rgb kCentreColour{247, 247, 247};
inline constexpr Rgb kAboveColour{178, 24, 43};
inline constexpr Rgb kNoValueColour{128, 128, 128};
// A value this many standard deviations from its gene's mean gets the full end colour.
inline constexpr double kFullScaleDeviations = 2.0;

// t in [-1, 1] (clamped): -1 below, 0 centre, +1 above, linear in between.
Rgb diverging_colour(double t);

// The standardised position of each value of a row: (v - mean) / (sd * kFullScaleDeviations),
// over all samples of the row. A constant row is all 0; a row holding a non-finite value gives
// NaN where the value is not finite and is otherwise centred on its finite values.
std::vector<double> centred_row(std::span<const double> row);

struct HeatmapModel {
  std::vector<std::int32_t> rows;     // table rows, in member order
  std::vector<std::int32_t> columns;  // 0-based samples: the selected ones first, then the rest
  std::int32_t selected_columns = 0;  // how many of `columns` are the bicluster's samples
  std::vector<Rgb> cells;             // rows.size() x columns.size(), row by row
  Rgb cell(std::size_t row, std::size_t column) const { return cells[row * columns.size() + column]; }
};

// `samples` are the bicluster's selected samples, 0-based and ascending.
HeatmapModel build_heatmap(const GeneTable& table, std::span<const std::int32_t> rows,
                           std::span<const std::int32_t> samples);

}  // namespace kova::viewer
