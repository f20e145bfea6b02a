#include "viewer/core/last_run.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/temp_dir.hpp"

namespace kova::viewer {
namespace {

// The last run comes from the run description files under HOME, read as the engine reads them.
class LastRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* home = std::getenv("HOME");
    if (home != nullptr) saved_home_ = home;
    setenv("HOME", home_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_home_) setenv("HOME", saved_home_->c_str(), 1); else unsetenv("HOME");
  }
  test::TempDir home_;
  std::optional<std::string> saved_home_;
};

TEST_F(LastRunTest, OffersTheRunTheDescriptionFilesName) {
  test::TempDir run;
  test::write_file(home_ / "outinfo.txt", "/data/my genes.txt\r\n" + (run / "result.txt").string() + "\r\n");
  test::write_file(home_ / "doutinfo.txt", "120\r\n17\r\n0.85\r\n");
  test::write_file(run / "bicluster_report.txt", "x");
  const LastRun last = read_last_run("/nonexistent");
  ASSERT_TRUE(last.files) << last.problem;
  EXPECT_EQ(last.files->matrix, "/data/my genes.txt");
  EXPECT_EQ(last.files->output, run / "result.txt");
  EXPECT_EQ(last.files->genes, 120);
  EXPECT_EQ(last.files->samples, 17);
  EXPECT_EQ(last.files->report, run / "bicluster_report.txt");
}

TEST_F(LastRunTest, SaysWhyThereIsNoLastRun) {
  EXPECT_NE(read_last_run(".").problem.find("cannot open '" + (home_ / "outinfo.txt").string() + "'"),
            std::string::npos);
  test::write_file(home_ / "outinfo.txt", "/data/genes.txt\r\n");
  EXPECT_NE(read_last_run(".").problem.find("does not hold an input and an output path"), std::string::npos);
  test::write_file(home_ / "outinfo.txt", "/data/genes.txt\r\n/out/r.txt\r\n");
  EXPECT_NE(read_last_run(".").problem.find("cannot open '" + (home_ / "doutinfo.txt").string() + "'"),
            std::string::npos);
  test::write_file(home_ / "doutinfo.txt", "120\r\n");
  const LastRun last = read_last_run(".");
  EXPECT_FALSE(last.files);
  EXPECT_NE(last.problem.find((home_ / "doutinfo.txt").string()), std::string::npos) << last.problem;
}

}  // namespace
}  // namespace kova::viewer
