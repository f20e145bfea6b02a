#pragma once
// What a run is asked to do, and the one check of its numbers that every door calls: the console
// way and the batch way, the R package, and any later door refuse the same numbers in the same
// words.

#include <cstdint>
#include <stdexcept>

namespace kova {

// More threads than this gain nothing on any desktop and could exhaust the system's processes.
inline constexpr int kMostThreads = 1024;

struct RunSettings {
  std::int32_t genes = 0;
  std::int32_t samples = 0;
  double threshold = 0.0;
  std::int32_t max_biclusters = 0;  // <= 0: at most one bicluster, seeded by gene 0
  int threads = 0;                  // 0: one per core
};

class RunSettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws RunSettingsError naming the first number a run cannot take: negative genes or samples, a
// threshold that is not a finite number from -1 to 1 (with a suggestion such as 0.85 for 85), or
// threads outside 0 to kMostThreads. Every maximum is one the search takes.
void validate(const RunSettings& settings);

}  // namespace kova
