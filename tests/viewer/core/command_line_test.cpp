#include "viewer/core/command_line.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

namespace kova::viewer {
namespace {

TEST(CommandLine, TakesARunAndThePictureOptions) {
  test::TempDir dir;
  test::write_file(dir / "bicluster_report.txt", "x");
  CommandLine line = parse_command_line({"out.txt", "m.txt", "120", "17"}, dir.path());
  ASSERT_TRUE(line.error.empty()) << line.error;
  ASSERT_TRUE(line.run);
  EXPECT_EQ(line.run->output, "out.txt");
  EXPECT_EQ(line.run->matrix, "m.txt");
  EXPECT_EQ(line.run->genes, 120);
  EXPECT_EQ(line.run->samples, 17);
  EXPECT_EQ(line.run->report, dir / "bicluster_report.txt");
  EXPECT_TRUE(line.png.empty());

  line = parse_command_line({"--png", "b.png", "--bicluster", "3", "out.txt", "m.txt", "120", "17"}, dir.path());
  ASSERT_TRUE(line.error.empty()) << line.error;
  EXPECT_EQ(line.png, "b.png");
  EXPECT_EQ(line.bicluster, 3);

  line = parse_command_line({"--all", "pictures", "--size", "800x600", "--cluster", "--samples", "s.txt", "--table",
                             "t.csv", "--members", "m.tsv", "out.txt", "m.txt", "120", "17"},
                            dir.path());
  ASSERT_TRUE(line.error.empty()) << line.error;
  EXPECT_TRUE(line.batch());
  EXPECT_EQ(line.all, "pictures");
  EXPECT_EQ(line.width, 800);
  EXPECT_EQ(line.height, 600);
  EXPECT_EQ(line.dpi, 96);
  EXPECT_TRUE(line.cluster);
  EXPECT_EQ(line.samples, "s.txt");
  EXPECT_EQ(line.table, "t.csv");
  EXPECT_EQ(line.members, "m.tsv");

  line = parse_command_line({}, dir.path());
  EXPECT_TRUE(line.error.empty());
  EXPECT_FALSE(line.run);
}

TEST(CommandLine, CountsFromTheMatrixMergesLevelsAndHelps) {
  CommandLine line = parse_command_line({"--samples", "s.txt", "--merge", "B1,B2=B", "--merge", " T1 , T2 = T;T3=T",
                                         "out.txt", "m.txt"},
                                        ".");
  ASSERT_TRUE(line.error.empty()) << line.error;
  ASSERT_TRUE(line.run);
  EXPECT_EQ(line.run->genes, kCountFromMatrix);
  EXPECT_EQ(line.run->samples, kCountFromMatrix);
  ASSERT_EQ(line.merges.size(), 3u);
  EXPECT_EQ(line.merges[1].levels, (std::vector<std::string>{"T1", "T2"}));
  EXPECT_EQ(line.merges[2].into, "T");
  EXPECT_EQ(line.merges_text, "B1,B2=B;  T1 , T2 = T;T3=T");

  // --help answers whatever else is on the line, even what would be refused.
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--help"}, {"--png", "x", "-h"}}) {
    line = parse_command_line(arguments, ".");
    EXPECT_TRUE(line.help);
    EXPECT_TRUE(line.error.empty());
  }
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  const struct {
    std::vector<std::string> arguments;
    const char* says;
  } cases[] = {
      {{"out.txt", "m.txt", "120"}, "expected OUTPUT MATRIX [GENES SAMPLES]"},
      {{"out.txt"}, "expected OUTPUT MATRIX [GENES SAMPLES]"},
      {{"--merge", "B1,B2", "--samples", "s", "o", "m"}, "--merge: 'B1,B2' has no '='"},
      {{"--merge", "B1=B", "o", "m"}, "--merge merges the class levels of --samples FILE"},
      {{"--samples", "s", "--merge"}, "--merge needs LEVEL,LEVEL,...=NEW"},
      {{"out.txt", "m.txt", "12x", "17"}, "GENES must be a whole number"},
      {{"out.txt", "m.txt", "120", "-1"}, "SAMPLES must be a whole number"},
      {{"out.txt", "m.txt", "120", "99999999999"}, "SAMPLES must be a whole number"},
      {{"--png", "b.png", "out.txt", "m.txt", "1", "1"}, "--png needs --bicluster N"},
      {{"--png", "b.png", "--bicluster", "0", "o", "m", "1", "1"}, "--bicluster needs a bicluster number"},
      {{"--png", "b.png", "--bicluster", "1"}, "--gmt need OUTPUT MATRIX"},
      {{"--gene-names", "n.tsv"}, "--gene-names needs OUTPUT MATRIX"},
      {{"--bicluster", "1", "o", "m", "1", "1"}, "only used with --png"},
      {{"--png"}, "--png needs a file name"},
      {{"--size", "12", "o", "m", "1", "1"}, "--size needs WIDTHxHEIGHT"},
      {{"--size", "80x60", "o", "m", "1", "1"}, "--size is only used with --png or --all"},
      {{"--table"}, "--table needs a file name"},
      {{"--dpi", "10", "--png", "b", "--bicluster", "1", "o", "m", "1", "1"}, "--dpi needs a resolution"},
      {{"--dpi", "300", "--table", "t", "o", "m", "1", "1"}, "--dpi is only used with --png or --all"},
      {{"--all", "d"}, "need OUTPUT MATRIX"},
  };
  for (const auto& bad : cases) {
    const CommandLine line = parse_command_line(bad.arguments, ".");
    EXPECT_NE(line.error.find(bad.says), std::string::npos) << bad.says << " / got: " << line.error;
  }
}

}  // namespace
}  // namespace kova::viewer
