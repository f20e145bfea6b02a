#include "viewer/core/table_export.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

TEST(TableExport, WritesTheTableAndTheMembers) {
  test::TempDir dir;
  const LoadedRun run = load_run(test::write_run(dir.path(), test::kWorkedRows, 0.9));
  std::vector<PlainCorrelation> measures(3);
  measures[0] = {0.25, 0.5, 0.75, 3, 0};
  measures[2] = {NAN, NAN, NAN, 1, 1};
  const std::vector<std::size_t> order = {2, 0};
  EXPECT_EQ(bicluster_table_text(run, measures, order, Separator::kTab),
            "bicluster\tgenes\tsamples\tsize\tmin_r\tmedian_r\tmax_r\tgene_names\r\n"
            "3\t2\t3\t6\tNA\tNA\tNA\tg1 g5\r\n"
            "1\t3\t5\t15\t0.25\t0.5\t0.75\tg1 g2 g4\r\n");
  EXPECT_EQ(bicluster_table_text(run, measures, std::vector<std::size_t>{0}, Separator::kComma),
            "bicluster,genes,samples,size,min_r,median_r,max_r,gene_names\r\n"
            "1,3,5,15,0.25,0.5,0.75,\"g1 g2 g4\"\r\n");

  SampleAnnotation annotation;
  annotation.names = {"a", "b,1", "c", "01005", "e\"x"};
  annotation.class_titles = {"type"};
  annotation.classes = {{"case", "control", "case", "case", "control"}};
  EXPECT_EQ(bicluster_members_text(run, std::vector<std::size_t>{1}, &annotation, Separator::kComma),
            "bicluster,member,position,name,type\r\n"
            "2,gene,1,\"g1\",\r\n"
            "2,gene,3,\"g3\",\r\n"
            "2,sample,2,\"b,1\",\"control\"\r\n"
            "2,sample,4,\"01005\",\"case\"\r\n"
            "2,sample,5,\"e\"\"x\",\"control\"\r\n");
  // Tab-separated text is left as it is: no quotes for a spreadsheet to keep.
  EXPECT_NE(bicluster_members_text(run, std::vector<std::size_t>{1}, &annotation, Separator::kTab)
                .find("2\tsample\t4\t01005\tcase\r\n"),
            std::string::npos);
  EXPECT_EQ(bicluster_members_text(run, std::vector<std::size_t>{2}, nullptr, Separator::kTab),
            "bicluster\tmember\tposition\tname\r\n3\tgene\t1\tg1\r\n3\tgene\t5\tg5\r\n"
            "3\tsample\t1\tsample1\r\n3\tsample\t3\tsample3\r\n3\tsample\t5\tsample5\r\n");
}

TEST(TableExport, ChoosesTheSeparatorByNameAndReportsWhatItCannotWrite) {
  EXPECT_EQ(separator_for("x/t.CSV"), Separator::kComma);
  EXPECT_EQ(separator_for("t.tsv"), Separator::kTab);
  EXPECT_EQ(separator_for("t"), Separator::kTab);
  test::TempDir dir;
  write_text_file(dir / "t.tsv", "a\r\n");
  EXPECT_EQ(test::read_file(dir / "t.tsv"), "a\r\n");
  try {
    write_text_file(dir / "missing" / "t.tsv", "a");
    FAIL() << "wrote into a missing folder";
  } catch (const ExportError& error) {
    EXPECT_NE(std::string(error.what()).find("cannot create '" + (dir / "missing" / "t.tsv").string() + "'"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace kova::viewer
