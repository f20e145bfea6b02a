#pragma once
// Progress of a long search: what the search reports, to whoever shows it.

#include <cstdint>
#include <stdexcept>

namespace kova {

struct SearchStatus {
  std::int32_t seeds_done = 0;  // seed genes whose partners have all been tried
  std::int32_t genes = 0;
  std::int32_t found = 0;       // biclusters written so far
  double work_left = 1.0;       // rough share of the work still ahead, 1 at the start, 0 at the end
};

class SearchProgress {
 public:
  virtual ~SearchProgress() = default;
  // Called often (after every batch of pairs); must be cheap.
  virtual void update(const SearchStatus& status) = 0;
};

// Thrown by a search whose stop was requested: it ends within one batch of pairs, its threads
// joined, and what it handed to its sink so far is a prefix of the whole run's biclusters.
class SearchStopped : public std::runtime_error {
 public:
  SearchStopped() : std::runtime_error("the search was stopped") {}
};

}  // namespace kova
