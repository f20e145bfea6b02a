// kova2 on a pseudo-terminal, as in the console window the front end opens: the window must stay
// open after the closing line (or the error) until the user presses Enter once more.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/pty_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ConsoleWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(home_ / "work");
    fs::copy_file(fs::path(KOVA_EXAMPLES_DIR) / "worked_example.txt", home_ / "matrix.txt");
  }
  void describe(const fs::path& matrix, const fs::path& output) {
    test::write_file(home_ / "outinfo.txt", matrix.string() + "\r\n" + output.string() + "\r\n");
    test::write_file(home_ / "doutinfo.txt", "5\r\n5\r\n0.9\r\n");
  }

  // Answers the prompt with `answer` and Enter, waits for `last_words` and then for the pause, and
  // checks that the engine still waits with both on the screen; then Enter closes it.
  int answer_and_close(const std::string& answer, const std::string& last_words) {
    test::PtyProcess engine(KOVA2_PATH, home_.path(), home_ / "work");
    EXPECT_TRUE(engine.started());
    EXPECT_TRUE(engine.wait_for("Enter maximum number of biclusters")) << engine.shown();
    engine.type(answer + "\n");
    EXPECT_TRUE(engine.wait_for(last_words)) << engine.shown();
    EXPECT_TRUE(engine.wait_for("Press Enter to close")) << engine.shown();
    engine.drain(700ms);
    EXPECT_TRUE(engine.running()) << "the window closed without a fresh Enter:\n" << engine.shown();
    EXPECT_NE(engine.shown().find(last_words), std::string::npos);
    engine.type("\n");
    return engine.wait_exit();
  }

  test::TempDir home_;
};

TEST_F(ConsoleWindow, WaitsForAFreshEnterAfterTheClosingLine) {
  describe(home_ / "matrix.txt", home_ / "result.txt");
  EXPECT_EQ(answer_and_close("10", "kova2: 3 biclusters written to"), 0);
  // Blanks and other characters after the answer belong to the answer's line, too.
  EXPECT_EQ(answer_and_close("10   x", "kova2: 3 biclusters written to"), 0);
}

TEST_F(ConsoleWindow, AnErrorFoundAfterThePromptStaysOnTheScreen) {
  fs::create_symlink("/dev/full", home_ / "full.txt");
  describe(home_ / "matrix.txt", home_ / "full.txt");
  EXPECT_EQ(answer_and_close("10", "kova2: error: cannot write '" + (home_ / "full.txt").string()), 1);
}

TEST_F(ConsoleWindow, ARefusedMatrixAndAWarningStayOnTheScreen) {
  test::write_file(home_ / "header.txt", "Gene\tS1\tS2\tS3\tS4\tS5\r\n" + test::read_file(home_ / "matrix.txt"));
  describe(home_ / "header.txt", home_ / "result.txt");
  EXPECT_EQ(answer_and_close("10", "'S1' is no number: is line 1 a header? remove it"), 1);

  // Four of the five genes: the warning comes before the closing line.
  describe(home_ / "matrix.txt", home_ / "result.txt");
  test::write_file(home_ / "doutinfo.txt", "4\r\n5\r\n0.9\r\n");
  test::PtyProcess engine(KOVA2_PATH, home_.path(), home_ / "work");
  ASSERT_TRUE(engine.wait_for("Enter maximum number of biclusters")) << engine.shown();
  engine.type("10\n");
  ASSERT_TRUE(engine.wait_for("Press Enter to close")) << engine.shown();
  const std::size_t warning = engine.shown().find("kova2: warning: input matrix '");
  ASSERT_NE(warning, std::string::npos) << engine.shown();
  EXPECT_NE(engine.shown().find("only the first 4 of its 5 lines were read", warning), std::string::npos);
  EXPECT_LT(warning, engine.shown().find("biclusters written to"));
  engine.type("\n");
  EXPECT_EQ(engine.wait_exit(), 0);
}

}  // namespace
}  // namespace kova
