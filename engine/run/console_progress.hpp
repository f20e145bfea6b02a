#pragma once
// The console line that shows a long search's progress.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "kova/search.hpp"

namespace kova {

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
