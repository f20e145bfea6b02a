// The path check against the engine's own reader: what it lets through and what it says.

#include "frontend/core/path_check.hpp"

#include <gtest/gtest.h>

#include <string>

#include "common/run_description_reader.hpp"

namespace kova {
namespace {

std::string problem(std::string_view path, PathRole role = PathRole::kOutputFile) {
  return path_problem(path, role).value_or("");
}

TEST(PathCheck, PathsTheEngineReadsBackUnchangedPass) {
  for (const char* path : {"/home/ann/result.txt", "/home/ann/expr data/genes.txt", "/home/ann/.local/x.txt",
                           "/data/run 1.5data/genes.txt", "/d/my genes.v2.txt", "C:\\expr data\\genes.txt"}) {
    EXPECT_EQ(path_problem(path, PathRole::kInputMatrix), std::nullopt) << path;
  }
}

TEST(PathCheck, ANameWithoutADotAsksForOneWithAnExample) {
  EXPECT_EQ(problem("/home/ann/result"),
            "KOVA needs a '.' in the file name, such as result.txt: the output file 'result' has none. Choose a name "
            "with one.");
  const std::string input = problem("/data/genes", PathRole::kInputMatrix);
  EXPECT_EQ(input.rfind("KOVA needs a '.' in the file name, such as genes.txt", 0), 0u) << input;
  EXPECT_NE(input.find("Rename the file"), std::string::npos);
  EXPECT_NE(problem("/home/ann/my results").find("the output file 'my results' has none"), std::string::npos);
}

TEST(PathCheck, ADotBeforeABlankSaysWhereTheEngineWouldStop) {
  const std::string folder = problem("/data/run 1.5 data/genes.txt", PathRole::kInputMatrix);
  EXPECT_NE(folder.find("only as far as '/data/run 1.5'"), std::string::npos) << folder;
  EXPECT_NE(folder.find("Move or copy the file to a folder whose name has no '.'"), std::string::npos) << folder;
  EXPECT_NE(problem("/out/my.result final.txt").find("only as far as '/out/my.result'"), std::string::npos);
}

TEST(PathCheck, BlanksTheEngineWouldJoinAsOneAreRefused) {
  for (const char* path : {"/d/two  blanks.txt", "/d/tab\there.txt", " /d/lead.txt", "/d/trail.txt ",
                           "/d/line\nbreak.txt", "/d/cr\r.txt", ""}) {
    EXPECT_NE(problem(path).find("single blank"), std::string::npos) << path;
  }
}

TEST(PathCheck, APathLongerThanTheEngineTakesIsRefused) {
  EXPECT_EQ(path_problem("/d/" + std::string(kMaxPathLength - 7, 'x') + ".txt", PathRole::kOutputFile), std::nullopt);
  const std::string too_long = "/d/" + std::string(kMaxPathLength - 6, 'x') + ".txt";
  EXPECT_NE(problem(too_long).find("longer than KOVA can pass on"), std::string::npos);
  const std::string in_pieces =
      "/d/" + std::string(kMaxPathLength / 2, 'x') + " " + std::string(kMaxPathLength / 2, 'y') + ".txt";
  EXPECT_NE(problem(in_pieces).find("longer than KOVA can pass on"), std::string::npos);
}

}  // namespace
}  // namespace kova
