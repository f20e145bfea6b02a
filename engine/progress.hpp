#pragma once
// Progress of a long search: what the search reports, and the console line that shows it.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

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

// One console line, rewritten in place at most a few times a second:
// "seed genes 120 of 12625, 87 biclusters, 0:03 elapsed, about 0:41 left". Writes nothing at all
// when disabled (standard error is not a terminal); finish() ends the line with CR LF.
class ConsoleProgress final : public SearchProgress {
 public:
  ConsoleProgress(std::ostream& out, bool enabled);
  ~ConsoleProgress() override { finish(); }  // a run that fails still ends the line first
  ConsoleProgress(const ConsoleProgress&) = delete;
  ConsoleProgress& operator=(const ConsoleProgress&) = delete;
  void update(const SearchStatus& status) override;
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  void show(const SearchStatus& status, Clock::time_point now);

  std::ostream& out_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_shown_;
  SearchStatus last_;
  std::size_t width_ = 0;  // length of the last line, to blank out what a shorter one leaves
};

// "m:ss", or "h:mm:ss" from an hour on.
std::string format_duration(double seconds);

// The text of one progress line, without the carriage return.
std::string progress_text(const SearchStatus& status, double elapsed_seconds);

}  // namespace kova
