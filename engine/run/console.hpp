#pragma once
// The engine's one question on its console: the maximum number of biclusters.

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>

namespace kova {

inline constexpr const char* kMaximumPrompt = "Enter maximum number of biclusters";

// Prompts on `out` (flushed before reading) and reads an optionally signed integer, skipping white
// space. An answer that is no integer, or too large for 32 bits, is explained and asked again.
// The rest of the answer's line is consumed with it. Returns nothing when the input ends first.
std::optional<std::int32_t> ask_maximum_biclusters(std::istream& in, std::ostream& out);

}  // namespace kova
