#include "engine/meaning/sample_annotation.hpp"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

std::string refusal(std::string_view text, std::int32_t samples) {
  try {
    parse_sample_annotation(text, "a.txt", samples);
  } catch (const AnnotationError& error) {
    return error.what();
  }
  return "(read)";
}

TEST(SampleAnnotation, ReadsNamesAndClassesOneLinePerSample) {
  SampleAnnotation a = parse_sample_annotation("p1\tALL\tB\r\np2\tAML\np3\n\n", "a.txt", 3);
  EXPECT_EQ(a.names, (std::vector<std::string>{"p1", "p2", "p3"}));
  ASSERT_EQ(a.classes.size(), 2u);
  EXPECT_EQ(a.classes[0], (std::vector<std::string>{"ALL", "AML", ""}));
  EXPECT_EQ(a.classes[1], (std::vector<std::string>{"B", "", ""}));
  EXPECT_EQ(a.class_titles, (std::vector<std::string>{"class 1", "class 2"}));
  EXPECT_EQ(a.label(1), "p2");

  // A '#' line titles the classes; lines without a name leave the samples to their numbers.
  a = parse_sample_annotation("#name\ttype\n\tcase\n\tcontrol\n", "a.txt", 2);
  EXPECT_TRUE(a.names.empty());
  EXPECT_EQ(a.class_titles, (std::vector<std::string>{"type"}));
  EXPECT_EQ(a.classes[0], (std::vector<std::string>{"case", "control"}));
  EXPECT_EQ(a.label(1), "2");
}

TEST(SampleAnnotation, AWrongNumberOfLinesNamesTheLine) {
  EXPECT_EQ(refusal("p1\np2\n", 3),
            "'a.txt' line 2: one line per sample in column order, but the file holds 2 samples, the matrix has 3");
  EXPECT_EQ(refusal("p1\np2\np3\np4\n", 3),
            "'a.txt' line 4: one line per sample in column order, but the file holds 4 samples, the matrix has 3");
  EXPECT_EQ(refusal("#name\tclass\np1\n", 2),
            "'a.txt' line 2: one line per sample in column order, but the file holds 1 sample, the matrix has 2");
  EXPECT_EQ(refusal("p1\n\np3\n", 3), "'a.txt' line 2: an empty line; every sample needs its own line");
  EXPECT_EQ(refusal("", 1),
            "'a.txt' line 1: one line per sample in column order, but the file holds 0 samples, the matrix has 1");
}

TEST(SampleAnnotation, ReadsTheDataFoldersMetaFiles) {
  // The shape of golub_500.meta: no sample names, one coded class.
  const std::string golub = std::string("file: golub_500.txt\nsamples_columns: 5\n") +
                            "sample_ids_in_column_order: none in the source (columns are samples 1..5)\n" +
                            "sample_class_golub.cl_in_column_order: 0 0 0 1 1\n" +
                            "sample_class_coding: 0 = ALL (3 samples), 1 = AML (2 samples)\n";
  SampleAnnotation a = parse_sample_annotation(golub, "g.meta", 5);
  EXPECT_TRUE(a.names.empty());
  EXPECT_EQ(a.class_titles, (std::vector<std::string>{"class_golub.cl"}));
  EXPECT_EQ(a.classes[0], (std::vector<std::string>{"ALL", "ALL", "ALL", "AML", "AML"}));

  // The shape of ALL.meta: names and two uncoded classes; a count that does not fit names its line.
  const std::string all =
      "sample_ids_in_column_order: 01005 01010 03002\nsample_BT_in_column_order: B2 B2 T\n"
      "sample_mol.biol_in_column_order: BCR/ABL NEG NEG\n";
  a = parse_sample_annotation(all, "all.meta", 3);
  EXPECT_EQ(a.names, (std::vector<std::string>{"01005", "01010", "03002"}));
  EXPECT_EQ(a.class_titles, (std::vector<std::string>{"BT", "mol.biol"}));
  EXPECT_EQ(a.classes[1][0], "BCR/ABL");
  EXPECT_EQ(refusal(all, 4).substr(0, 62), "'a.txt' line 1: sample_ids_in_column_order lists 3 samples, th");
}

TEST(SampleAnnotation, TheShippedGolubMetaFitsItsMatrix) {
  const SampleAnnotation a = read_sample_annotation(KOVA_EXAMPLES_DIR "/golub_500.meta", 38);
  ASSERT_EQ(a.classes.size(), 1u);
  EXPECT_EQ(std::count(a.classes[0].begin(), a.classes[0].end(), "ALL"), 27);
  EXPECT_EQ(a.classes[0][27], "AML");
  EXPECT_THROW(read_sample_annotation(KOVA_EXAMPLES_DIR "/missing.meta", 38), AnnotationError);
}

}  // namespace
}  // namespace kova
