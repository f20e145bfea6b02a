#include "viewer/core/result_files.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

struct WrittenTexts {
  std::string output;
  std::string report;
};

WrittenTexts worked_texts() {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), test::kWorkedRows, 0.9);
  return {test::read_file(files.output), test::read_file(files.report)};
}

std::int64_t lines_started(std::string_view text) { return std::count(text.begin(), text.end(), '\n') + 1; }

TEST(ResultFiles, ReadsWhatTheWriterWrote) {
  const WrittenTexts texts = worked_texts();
  const std::vector<ResultBicluster> biclusters = parse_output_file(texts.output, "result.txt");
  ASSERT_EQ(biclusters.size(), 3u);
  const std::vector<std::vector<std::string>> genes = {{"g1", "g2", "g4"}, {"g1", "g3"}, {"g1", "g5"}};
  const std::vector<std::vector<std::int32_t>> samples = {{1, 2, 3, 4, 5}, {2, 4, 5}, {1, 3, 5}};
  for (std::size_t i = 0; i < biclusters.size(); ++i) {
    EXPECT_EQ(biclusters[i].number, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(biclusters[i].genes, genes[i]);
    EXPECT_EQ(biclusters[i].samples, samples[i]);
    EXPECT_EQ(biclusters[i].first_line, static_cast<std::int64_t>(3 * i + 1));
  }

  const Report report = parse_report(texts.report, "bicluster_report.txt");
  ASSERT_EQ(report.biclusters.size(), 3u);
  EXPECT_EQ(report.biclusters[0].rows, 3);
  EXPECT_EQ(report.biclusters[0].columns, 5);
  EXPECT_EQ(report.biclusters[0].size, 15);
  EXPECT_EQ(report.biclusters[2].number, 3);
  EXPECT_EQ(report.biclusters[2].size, 6);
  EXPECT_EQ(report.gene_counts, (std::vector<std::int32_t>{3, 1, 1, 1, 1}));
  EXPECT_EQ(report.sample_counts, (std::vector<std::int32_t>{2, 2, 2, 2, 3}));
}

TEST(ResultFiles, EmptyRunsAndLineFeedOnlyFilesAreRead) {
  test::TempDir dir;
  const RunFiles files = test::write_run(dir.path(), {{1, 2, 3, 4}, {4, 1, 3, 2}}, 0.99);
  EXPECT_TRUE(parse_output_file(test::read_file(files.output), "r").empty());
  const Report report = parse_report(test::read_file(files.report), "b");
  EXPECT_TRUE(report.biclusters.empty());
  EXPECT_EQ(report.gene_counts, (std::vector<std::int32_t>{0, 0}));
  EXPECT_EQ(report.sample_counts, (std::vector<std::int32_t>{0, 0, 0, 0}));

  std::string output = worked_texts().output;
  std::erase(output, '\r');
  EXPECT_EQ(parse_output_file(output, "r").size(), 3u);
}

// A run that is still going, or a file cut short, never reads as a smaller complete result,
// except where the cut falls exactly between two biclusters.
TEST(ResultFiles, EveryTruncationIsReportedAtTheLineWhereTheFileEnds) {
  const WrittenTexts texts = worked_texts();
  std::vector<std::size_t> bicluster_ends;
  for (std::size_t pos = 0, lines = 0; pos < texts.output.size(); ++pos) {
    if (texts.output[pos] == '\n' && ++lines % 3 == 0) bicluster_ends.push_back(pos + 1);
  }
  for (std::size_t length = 1; length < texts.output.size(); ++length) {
    const std::string_view cut = std::string_view(texts.output).substr(0, length);
    const auto end = std::find(bicluster_ends.begin(), bicluster_ends.end(), length);
    if (end != bicluster_ends.end()) {
      EXPECT_EQ(parse_output_file(cut, "r").size(), static_cast<std::size_t>(end - bicluster_ends.begin() + 1));
      continue;
    }
    try {
      parse_output_file(cut, "cut.txt");
      ADD_FAILURE() << "output cut after " << length << " bytes was accepted";
    } catch (const ResultFileError& error) {
      EXPECT_EQ(error.line(), lines_started(cut)) << "cut after " << length;
      EXPECT_NE(std::string(error.what()).find("'cut.txt' line "), std::string::npos);
    }
  }
  for (std::size_t length = 0; length < texts.report.size(); ++length) {
    const std::string_view cut = std::string_view(texts.report).substr(0, length);
    try {
      parse_report(cut, "report.txt");
      ADD_FAILURE() << "report cut after " << length << " bytes was accepted";
    } catch (const ResultFileError& error) {
      EXPECT_EQ(error.line(), lines_started(cut)) << "cut after " << length;
    }
  }
}

struct BadFile {
  const char* text;
  std::int64_t line;
  const char* says;
};

TEST(ResultFiles, MalformedOutputFilesNameTheLine) {
  const BadFile cases[] = {
      {"x\t3\r\n", 1, "expected \"<genes>\\t<samples>\""},
      {"2\t3\t\r\nsample1, sample2, sample3, \r\na\tb\t\r\n", 1, "expected"},
      {"0\t3\r\nsample1, sample2, sample3, \r\n\r\n", 1, "has no genes"},
      {"2\t03\r\nsample1, sample2, sample3, \r\na\tb\t\r\n", 1, "expected"},
      {"2\t3\r\nsample1, sample2, \r\na\tb\t\r\n", 2, "lists 2 samples, its size line says 3"},
      {"2\t3\r\nsample1, sample3, sample2, \r\na\tb\t\r\n", 2, "ascending"},
      {"2\t3\r\nsample0, sample1, sample2, \r\na\tb\t\r\n", 2, "sample<number>"},
      {"2\t3\r\nsample1, sample2, sample3\r\na\tb\t\r\n", 2, "sample<number>"},
      {"2\t3\r\nsample1, sample2, sample3, \r\na\tb\r\n", 3, "followed by a tab"},
      {"2\t3\r\nsample1, sample2, sample3, \r\na\tb\tc\t\r\n", 3, "lists 3 genes, its size line says 2"},
      {"2\t3\r\nsample1, sample2, sample3, \r\na\t\tb\t\r\n", 3, "lists 3 genes"},
      {"2\t3\r\nsample1, sample2, sample3, \r\na\tb\t\r\n\r\n", 4, "expected"},
  };
  for (const BadFile& bad : cases) {
    try {
      parse_output_file(bad.text, "out.txt");
      ADD_FAILURE() << "accepted: " << bad.text;
    } catch (const ResultFileError& error) {
      EXPECT_EQ(error.line(), bad.line) << bad.text;
      EXPECT_NE(std::string(error.what()).find(bad.says), std::string::npos) << error.what();
      EXPECT_EQ(error.file(), "out.txt");
    }
  }
}

TEST(ResultFiles, MalformedReportsNameTheLine) {
  const std::string head = "Bicluster\tNo. of rows\tNo. of columns\tSize\r\n";
  const std::string tail = "gene in number of Bicluster\r\n1\t1\t\r\nsamples in number of Bicluster\r\n1\t1\t1\t\r\n";
  const struct {
    std::string text;
    std::int64_t line;
    const char* says;
  } cases[] = {
      {"Bicluster\tRows\r\n" + tail, 1, "not a bicluster report"},
      {head + "Bicluster1\t2\t3\r\n" + tail, 2, "expected \"Bicluster<n>"},
      {head + "Bicluster2\t2\t3\t6\r\n" + tail, 2, "expected Bicluster1"},
      {head + "Bicluster1\t2\t3\t6\r\ngene in number of Bicluster\r\n1\t1\r\n", 4, "followed by a tab"},
      {head + "Bicluster1\t2\t3\t6\r\ngene in number of Bicluster\r\n1\tx\t\r\n", 4, "'x' is not a count"},
      {head + "Bicluster1\t2\t3\t6\r\ngene in number of Bicluster\r\n1\t1\t\r\nsamples\r\n", 5, "samples in number"},
      {head + "Bicluster1\t2\t3\t6\r\n" + tail + "more\r\n", 7, "after the counts"},
  };
  for (const auto& bad : cases) {
    try {
      parse_report(bad.text, "report.txt");
      ADD_FAILURE() << "accepted: " << bad.text;
    } catch (const ResultFileError& error) {
      EXPECT_EQ(error.line(), bad.line) << bad.text;
      EXPECT_NE(std::string(error.what()).find(bad.says), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace kova::viewer
