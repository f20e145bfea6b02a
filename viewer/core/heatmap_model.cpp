#include "viewer/core/heatmap_model.hpp"

#include <algorithm>
#include <cmath>

namespace kova::viewer {
namespace {

std::uint8_t blend(std::uint8_t from, std::uint8_t to, double share) {
  return static_cast<std::uint8_t>(std::lround(from + (to - from) * share));
}

}  // namespace

Rgb diverging_colour(double t) {
  if (std::isnan(t)) return kNoValueColour;
  t = std::clamp(t, -1.0, 1.0);
  const Rgb end = t < 0 ? kBelowColour : kAboveColour;
  const double share = std::abs(t);
  return {blend(kCentreColour.r, end.r, share), blend(kCentreColour.g, end.g, share),
          blend(kCentreColour.b, end.b, share)};
}

std::vector<double> centred_row(std::span<const double> row) {
  double sum = 0;
  std::size_t finite = 0;
  for (double v : row) {
    if (std::isfinite(v)) {
      sum += v;
      ++finite;
    }
  }
  const double mean = finite > 0 ? sum / static_cast<double>(finite) : 0.0;
  double squares = 0;
  for (double v : row) {
    if (std::isfinite(v)) squares += (v - mean) * (v - mean);
  }
  const double sd = finite > 0 ? std::sqrt(squares / static_cast<double>(finite)) : 0.0;
  std::vector<double> centred(row.size());
  for (std::size_t s = 0; s < row.size(); ++s) {
    if (!std::isfinite(row[s])) {
      centred[s] = std::nan("");
    } else {
      // A spread too small to divide by (a constant row) shows the whole row at the centre.
      centred[s] = sd > 0 && std::isfinite(sd) ? (row[s] - mean) / (sd * kFullScaleDeviations) : 0.0;
    }
  }
  return centred;
}

HeatmapModel build_heatmap(const GeneTable& table, std::span<const std::int32_t> rows,
                           std::span<const std::int32_t> samples) {
  HeatmapModel model;
  model.rows.assign(rows.begin(), rows.end());
  model.columns.assign(samples.begin(), samples.end());
  model.selected_columns = static_cast<std::int32_t>(samples.size());
  std::vector<bool> selected(static_cast<std::size_t>(table.samples()), false);
  for (std::int32_t s : samples) selected[static_cast<std::size_t>(s)] = true;
  for (std::int32_t s = 0; s < table.samples(); ++s) {
    if (!selected[static_cast<std::size_t>(s)]) model.columns.push_back(s);
  }
  model.cells.reserve(model.rows.size() * model.columns.size());
  for (std::int32_t row : model.rows) {
    const std::vector<double> centred = centred_row(table.row(row));
    for (std::int32_t column : model.columns) model.cells.push_back(diverging_colour(centred[static_cast<std::size_t>(column)]));
  }
  return model;
}

}  // namespace kova::viewer
