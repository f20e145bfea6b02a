#pragma once
// Benjamini-Hochberg q-values where only some of the tests are listed: the others, untested (their
// p-value 1), still count in the number of tests.

#include <cstddef>
#include <span>
#include <vector>

namespace kova {

// q-values for `p_values`, in their order, as if `tests` p-values (at least as many) were adjusted
// together, the unlisted ones 1.
std::vector<double> benjamini_hochberg(std::span<const double> p_values, std::size_t tests);

}  // namespace kova
