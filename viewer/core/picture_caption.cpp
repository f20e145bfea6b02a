#include "viewer/core/picture_caption.hpp"

#include <cmath>
#include <cstdio>

namespace kova::viewer {
namespace {

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

std::string p_value_text(double p_value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", p_value);
  return text;
}

std::string picture_caption(const PlainCorrelation& measure, std::optional<double> p_value) {
  std::string caption = "plain r ";
  if (std::isnan(measure.smallest)) {
    caption += "undefined";
  } else if (measure.smallest == measure.largest) {
    caption += fixed(measure.smallest, 3);
  } else {
    caption += fixed(measure.smallest, 3) + " to " + fixed(measure.largest, 3) + " (median " +
               fixed(measure.median, 3) + ")";
  }
  if (measure.undefined > 0 && !std::isnan(measure.smallest)) {
    caption += ", " + std::to_string(measure.undefined) + " undefined";
  }
  if (p_value) caption += "; p = " + p_value_text(*p_value);
  return caption;
}

}  // namespace kova::viewer
