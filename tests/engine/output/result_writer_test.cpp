#include "engine/output/result_writer.hpp"

#include <gtest/gtest.h>

#include "tests/support/collecting_sink.hpp"

namespace kova {
namespace {

TEST(ResultWriter, WritesTheExactFormatsWithCrLf) {
  GeneTable table = test::make_table({{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}});
  table[0].name = "alpha";
  table[2].name = std::string(60, 'z');
  StringOutput output, report;
  write_report_header(report);
  ResultWriter writer(table, output, report);
  const std::vector<std::int32_t> members = {0, 2};
  const std::vector<std::int32_t> flags = {1, 0, 1, 1};
  writer.accept({7, members, flags, 3});
  writer.write_membership();

  EXPECT_EQ(output.text(), "2\t3\r\nsample1, sample3, sample4, \r\nalpha\t" + std::string(60, 'z') + "\t\r\n");
  EXPECT_EQ(report.text(),
            "Bicluster\tNo. of rows\tNo. of columns\tSize\r\n"
            "Bicluster7\t2\t3\t6\r\n"
            "gene in number of Bicluster\r\n1\t0\t1\t\r\n"
            "samples in number of Bicluster\r\n1\t0\t1\t1\t\r\n");
}

TEST(ResultWriter, CountsASeedInEveryBiclusterItHeads) {
  const GeneTable table = test::make_table({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
  StringOutput output, report;
  ResultWriter writer(table, output, report);
  const std::vector<std::int32_t> flags = {1, 1, 1};
  const std::vector<std::int32_t> first = {0, 1}, second = {0, 2};
  writer.accept({1, first, flags, 3});
  writer.accept({2, second, flags, 3});
  writer.write_membership();
  EXPECT_NE(report.text().find("gene in number of Bicluster\r\n2\t1\t1\t\r\n"), std::string::npos);
  EXPECT_NE(report.text().find("samples in number of Bicluster\r\n2\t2\t2\t\r\n"), std::string::npos);
}

TEST(ResultWriter, NothingFoundLeavesAnEmptyOutputAndFiveReportLines) {
  const GeneTable table = test::make_table({{1, 2}, {3, 4}, {5, 6}});
  StringOutput output, report;
  write_report_header(report);
  ResultWriter writer(table, output, report);
  writer.write_membership();
  EXPECT_EQ(output.text(), "");
  EXPECT_EQ(report.text(),
            "Bicluster\tNo. of rows\tNo. of columns\tSize\r\ngene in number of Bicluster\r\n0\t0\t0\t\r\n"
            "samples in number of Bicluster\r\n0\t0\t\r\n");
}

TEST(ResultWriter, EmptyTableGivesEmptyMembershipLines) {
  const GeneTable table(0, 0);
  StringOutput output, report;
  ResultWriter writer(table, output, report);
  writer.write_membership();
  EXPECT_EQ(report.text(), "gene in number of Bicluster\r\n\r\nsamples in number of Bicluster\r\n\r\n");
}

}  // namespace
}  // namespace kova
