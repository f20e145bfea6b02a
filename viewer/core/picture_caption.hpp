#pragma once
// What every saved picture of a bicluster says about it besides its size: the plain r of its gene
// pairs and, where the run was tested, its p-value. A picture for a slide must not look like a
// valid bicluster when its genes barely correlate over its samples.

#include <optional>
#include <string>

#include "viewer/core/bicluster_measures.hpp"

namespace kova::viewer {

// "plain r 0.957" for one gene pair, "plain r 0.957 to 0.996 (median 0.969)" for more,
// "plain r undefined" when no pair has one; then "; p = 0.0099" where `p_value` is known.
std::string picture_caption(const PlainCorrelation& measure, std::optional<double> p_value);

// A p-value in at most three significant digits: 0.0099, 0.5, 1.
std::string p_value_text(double p_value);

}  // namespace kova::viewer
