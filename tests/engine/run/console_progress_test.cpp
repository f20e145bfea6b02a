#include "engine/run/console_progress.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <thread>

namespace kova {
namespace {

TEST(Progress, DurationsShowMinutesAndSecondsOrHours) {
  const std::pair<double, const char*> cases[] = {{0.0, "0:00"},     {59.4, "0:59"},      {61.0, "1:01"},
                                                  {3599.0, "59:59"}, {3725.0, "1:02:05"}, {-3.0, "0:00"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(format_duration(seconds), text) << seconds;
}

TEST(Progress, TheLineEstimatesWhatIsLeftOnlyOnceSomeWorkIsDone) {
  EXPECT_EQ(progress_text({120, 12625, 87, 0.75}, 3.0),
            "seed genes 120 of 12625, 87 biclusters, 0:03 elapsed, about 0:09 left");
  EXPECT_EQ(progress_text({0, 100, 1, 1.0}, 2.0), "seed genes 0 of 100, 1 bicluster, 0:02 elapsed");
}

TEST(Progress, NothingIsWrittenWhenStandardErrorIsNoTerminal) {
  std::ostringstream out;
  {
    ConsoleProgress progress(out, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    progress.update({1, 2, 0, 0.5});
    progress.finish();
  }
  EXPECT_EQ(out.str(), "");
}

TEST(Progress, OneLineIsRewrittenInPlaceAndEndedWithCrLf) {
  std::ostringstream out;
  {
    ConsoleProgress progress(out, true);
    progress.update({1, 10, 0, 0.9});  // too soon after the start: not shown
    EXPECT_EQ(out.str(), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    progress.update({5, 10, 12, 0.5});
  }  // the destructor ends the line
  const std::string text = out.str();
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.front(), '\r');
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_NE(text.find("seed genes 5 of 10, 12 biclusters"), std::string::npos);
  EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line only
}

}  // namespace
}  // namespace kova
