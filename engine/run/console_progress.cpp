#include "engine/run/console_progress.hpp"

#include <cmath>
#include <cstdio>

#include "common/line_layout.hpp"

namespace kova {
namespace {

constexpr auto kInterval = std::chrono::milliseconds(250);

}  // namespace

std::string format_duration(double seconds) {
  const long long total = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  }
  return text;
}

std::string progress_text(const SearchStatus& status, double elapsed_seconds) {
  std::string text = "seed genes " + std::to_string(status.seeds_done) + " of " + std::to_string(status.genes) +
                     ", " + std::to_string(status.found) + (status.found == 1 ? " bicluster, " : " biclusters, ") +
                     format_duration(elapsed_seconds) + " elapsed";
  // The share of work done so far predicts the rest; with too little done there is no estimate.
  const double done = 1.0 - status.work_left;
  if (done >= 0.001 && status.work_left > 0.0) {
    text += ", about " + format_duration(elapsed_seconds * status.work_left / done) + " left";
  }
  return text;
}

ConsoleProgress::ConsoleProgress(std::ostream& out, bool enabled)
    : out_(out), enabled_(enabled), start_(Clock::now()), last_shown_(start_) {}

void ConsoleProgress::update(const SearchStatus& status) {
  if (!enabled_) return;
  last_ = status;
  const Clock::time_point now = Clock::now();
  if (now - last_shown_ >= kInterval) show(status, now);
}

void ConsoleProgress::finish() {
  if (!enabled_) return;
  SearchStatus final_status = last_;
  final_status.work_left = 0.0;
  if (shown_) {
    show(final_status, Clock::now());
    out_ << kLineEnd << std::flush;
  }
  enabled_ = false;
}

void ConsoleProgress::show(const SearchStatus& status, Clock::time_point now) {
  const std::string text = progress_text(status, std::chrono::duration<double>(now - start_).count());
  out_ << '\r' << text;
  if (text.size() < width_) out_ << std::string(width_ - text.size(), ' ');
  out_ << std::flush;
  width_ = text.size();
  last_shown_ = now;
  shown_ = true;
}

}  // namespace kova
