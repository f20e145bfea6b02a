// kova2's batch way with --significance, --gene-sets, --gene-names and --sample-classes: the
// meaning files beside an output and report that stay byte for byte what they are without them,
// files refused before anything is touched, and no meaning file after a failed or stopped run.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/engine_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace kova {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::shell_quoted;
using test::write_file;

const fs::path kGolub = fs::path(KOVA_EXAMPLES_DIR) / "golub_500.txt";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "a line without CR LF at the end";
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "a bare LF";
  return lines;
}

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

class BatchMeaning : public ::testing::Test {
 protected:
  // The shell line that starts kova2 with `arguments` in `folder` (below the test's folder), HOME
  // the test's folder, `launcher` (timeout, exec) before kova2.
  std::string kova2_line(const std::string& folder, const std::vector<std::string>& arguments,
                         const std::string& launcher) {
    fs::create_directories(home_ / folder);
    std::string line = "cd " + shell_quoted((home_ / folder).string()) +
                       " && HOME=" + shell_quoted(home_.path().string()) + " " + launcher + " " +
                       shell_quoted(KOVA2_PATH);
    for (const std::string& argument : arguments) line += " " + shell_quoted(argument);
    return line;
  }

  // kova2 run to its end as kova2_line says, its output and errors kept.
  test::EngineResult batch(const std::string& folder, const std::vector<std::string>& arguments) {
    const fs::path io = home_ / "io";
    fs::create_directories(io);
    const std::string command = kova2_line(folder, arguments, "timeout 120") + " < /dev/null > " +
                                shell_quoted((io / "out").string()) + " 2> " + shell_quoted((io / "err").string());
    const int raw = std::system(command.c_str());
    test::EngineResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file(io / "out"), read_file(io / "err")};
    fs::remove_all(io);
    return result;
  }

  fs::path at(const std::string& name) const { return home_ / name; }

  // Sample classes of golub_500: 27 ALL, then 11 AML.
  fs::path golub_classes() {
    std::string text = "#sample\ttype\n";
    for (int s = 0; s < 38; ++s) text += "s" + std::to_string(s + 1) + (s < 27 ? "\tALL\n" : "\tAML\n");
    write_file(at("golub.classes"), text);
    return at("golub.classes");
  }

  test::TempDir home_;
};

TEST_F(BatchMeaning, TheMeaningFilesStandBesideAnOutputAndReportThatDoNotChange) {
  ASSERT_EQ(batch("plain", {"--matrix", kGolub.string(), "--output", "out.txt", "--threshold", "0.9"}).status, 0);
  const std::string output = read_file(at("plain/out.txt"));
  const std::string report = read_file(at("plain/bicluster_report.txt"));

  // A gene-name file that gives every probe a symbol, and sets in symbols: one of the first
  // bicluster's genes with three others, one of 300 genes from further down.
  const std::vector<std::string> first_genes = fields_of(lines_of(output)[2]);
  std::string names = "#probe\tsymbol\tdescription\n";
  std::istringstream matrix(read_file(kGolub));
  std::vector<std::string> probes;
  for (std::string row; std::getline(matrix, row);) probes.push_back(row.substr(0, row.find('\t')));
  for (const std::string& probe : probes) names += probe + "\tSYM_" + probe + "\tgene " + probe + "\n";
  write_file(at("names.txt"), names);
  std::string module = "MODULE\tthe first bicluster's genes and three others";
  for (const std::string& gene : first_genes) module += "\tSYM_" + gene;
  for (int g = 400; g < 403; ++g) module += "\tSYM_" + probes[static_cast<std::size_t>(g)];
  std::string elsewhere = "ELSEWHERE\t";
  for (int g = 100; g < 400; ++g) elsewhere += "\tSYM_" + probes[static_cast<std::size_t>(g)];
  write_file(at("sets.gmt"), module + "\n" + elsewhere + "\n");

  const std::vector<std::string> run = {"--matrix",         kGolub.string(),
                                        "--output",         "out.txt",
                                        "--threshold",      "0.9",
                                        "--significance",   "19",
                                        "--seed",           "7",
                                        "--gene-sets",      at("sets.gmt").string(),
                                        "--gene-names",     at("names.txt").string(),
                                        "--sample-classes", golub_classes().string()};
  const test::EngineResult result = batch("meaning", run);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(at("meaning/out.txt")), output);
  EXPECT_EQ(read_file(at("meaning/bicluster_report.txt")), report);
  EXPECT_NE(result.err.find("kova2: gene-set enrichment written to 'out.txt.enrichment.tsv'\r\n"
                            "kova2: sample classes written to 'out.txt.classes.tsv'\r\n"
                            "kova2: significance written to 'out.txt.significance.tsv'\r\n"),
            std::string::npos)
      << result.err;

  const std::size_t biclusters = lines_of(report).size() - 5;
  const std::vector<std::string> significance = lines_of(read_file(at("meaning/out.txt.significance.tsv")));
  ASSERT_EQ(significance.size(), biclusters + 1);
  EXPECT_EQ(significance[0], "bicluster\tgenes\tsamples\tp_value\texpected");
  for (std::size_t b = 1; b < significance.size(); ++b) {
    const std::vector<std::string> fields = fields_of(significance[b]);
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0], std::to_string(b));
    const double p = std::stod(fields[3]);
    EXPECT_TRUE(p >= 0.05 - 1e-12 && p <= 1) << significance[b];  // 1/20 at least
    EXPECT_EQ(fields_of(lines_of(report)[b])[1], fields[1]);      // the report's rows and columns
    EXPECT_EQ(fields_of(lines_of(report)[b])[2], fields[2]);
  }

  const std::vector<std::string> enrichment = lines_of(read_file(at("meaning/out.txt.enrichment.tsv")));
  EXPECT_EQ(enrichment[0],
            "bicluster\tset\toverlap\tset_size\tbicluster_genes\tuniverse\tp_value\tq_value\tgenes\tsymbols");
  const std::vector<std::string> best = fields_of(enrichment.at(1));
  ASSERT_EQ(best.size(), 10u);
  EXPECT_EQ(best[0], "1");
  EXPECT_EQ(best[1], "MODULE");
  EXPECT_EQ(best[2], std::to_string(first_genes.size()));
  EXPECT_EQ(best[3], std::to_string(first_genes.size() + 3));
  EXPECT_EQ(best[5], std::to_string(first_genes.size() + 3 + 300));
  EXPECT_LE(std::stod(best[7]), 0.01);
  EXPECT_EQ(best[8].substr(0, first_genes[0].size()), first_genes[0]);
  EXPECT_EQ(best[9].substr(0, 4 + first_genes[0].size()), "SYM_" + first_genes[0]);

  const std::vector<std::string> classes = lines_of(read_file(at("meaning/out.txt.classes.tsv")));
  EXPECT_EQ(classes[0],
            "bicluster\tcolumn\tclass\tin_bicluster\tbicluster_samples\tin_matrix\tsamples\tp_value\tq_value");
  for (std::size_t i = 1; i < classes.size(); ++i) {
    const std::vector<std::string> fields = fields_of(classes[i]);
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields[1], "type");
    EXPECT_TRUE(fields[2] == "ALL" || fields[2] == "AML") << classes[i];
    EXPECT_EQ(fields[5], fields[2] == "ALL" ? "27" : "11");
    EXPECT_EQ(fields[6], "38");
  }

  // The same seed gives the same file on one thread; another seed other null runs.
  std::vector<std::string> again = {
      "--matrix", kGolub.string(), "--output", "out.txt",   "--threshold", "0.9",    "--significance",
      "19",       "--seed",        "7",        "--threads", "1",           "--quiet"};
  ASSERT_EQ(batch("again", again).status, 0);
  EXPECT_EQ(read_file(at("again/out.txt.significance.tsv")), read_file(at("meaning/out.txt.significance.tsv")));
  again[9] = "8";
  ASSERT_EQ(batch("again", again).status, 0);
  EXPECT_NE(read_file(at("again/out.txt.significance.tsv")), read_file(at("meaning/out.txt.significance.tsv")));
}

TEST_F(BatchMeaning, FilesThatCannotBeUsedAreRefusedBeforeAnythingIsTouched) {
  fs::create_directories(at("work"));
  write_file(at("work/out.txt"), "earlier results");
  write_file(at("work/out.txt.significance.tsv"), "earlier significance");
  write_file(at("bad.gmt"), "GOOD\t\tA\tB\nBAD SET A B\n");
  write_file(at("short.classes"), "s1\tALL\ns2\tAML\n");
  std::string names_only;
  for (int s = 1; s <= 38; ++s) names_only += "s" + std::to_string(s) + "\n";
  write_file(at("names.only"), names_only);
  const auto refused = [&](std::vector<std::string> extra) {
    std::vector<std::string> arguments = {"--matrix",    kGolub.string(), "--output",       "out.txt",
                                          "--threshold", "0.9",           "--significance", "5"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return batch("work", arguments);
  };
  struct Case {
    std::vector<std::string> extra;
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--gene-sets", at("bad.gmt").string()},
       1,
       at("bad.gmt").string() + ": line 2: a gene set needs its name, a description and its genes, separated by tabs"},
      {{"--gene-sets", at("missing.gmt").string()}, 1, at("missing.gmt").string() + ": cannot be opened"},
      {{"--sample-classes", at("short.classes").string()},
       1,
       "'" + at("short.classes").string() +
           "' line 2: one line per sample in column order, but the file holds 2 samples, the matrix has 38"},
      {{"--sample-classes", at("names.only").string()},
       1,
       "'" + at("names.only").string() + "' gives the samples no class: after each name, a tab and the sample's class"},
      {{"--seed", "x"}, 2, "--seed needs a whole number from 0 to 18446744073709551615, not 'x'"},
      {{"--gene-names", "n.txt"}, 2, "--gene-names goes with --gene-sets FILE"},
  };
  for (const Case& c : cases) {
    const test::EngineResult result = refused(c.extra);
    EXPECT_EQ(result.status, c.status) << c.message;
    EXPECT_EQ(result.err.substr(0, 14 + c.message.size()), "kova2: error: " + c.message) << result.err;
    EXPECT_EQ(read_file(at("work/out.txt")), "earlier results");
    EXPECT_EQ(read_file(at("work/out.txt.significance.tsv")), "earlier significance");
    EXPECT_FALSE(fs::exists(at("work/bicluster_report.txt")));
  }

  // A meaning file that would replace one the run reads.
  write_file(at("work/out.txt.classes.tsv"), read_file(golub_classes()));
  const test::EngineResult self = refused({"--sample-classes", "out.txt.classes.tsv"});
  EXPECT_EQ(self.status, 1);
  EXPECT_EQ(self.err,
            "kova2: error: the sample classes file 'out.txt.classes.tsv' is the sample-class file; refusing to "
            "overwrite it\r\n");
  EXPECT_EQ(read_file(at("work/out.txt")), "earlier results");
}

TEST_F(BatchMeaning, GeneNamesThatFitAnotherMatrixAreToldAndLeaveNoEnrichmentFile) {
  write_file(at("sets.gmt"), "S\t\tTP53\tMYC\n");
  write_file(at("other.txt"), "1000_at\tTP53\n1001_at\tMYC\n");
  const test::EngineResult result =
      batch("work", {"--matrix", kGolub.string(), "--output", "out.txt", "--threshold", "0.9", "--gene-sets",
                     at("sets.gmt").string(), "--gene-names", at("other.txt").string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "kova2: error: " + at("other.txt").string() +
                            ": the gene names map none of the matrix's names: is it the file for this matrix?\r\n");
  EXPECT_FALSE(fs::exists(at("work/out.txt.enrichment.tsv")));
  EXPECT_FALSE(fs::exists(at("work/out.txt.enrichment.tsv.part")));
}

TEST_F(BatchMeaning, TheNullRunsShowTheirProgressOnATerminal) {
  // script(1) gives kova2 a terminal, whose line discipline turns every LF into CR LF.
  fs::create_directories(at("work"));
  const std::string command = shell_quoted(KOVA2_PATH) + " --matrix " + shell_quoted(kGolub.string()) +
                              " --output out.txt --threshold 0.9 --significance 100";
  const std::string line = "cd " + shell_quoted(at("work").string()) +
                           " && HOME=" + shell_quoted(home_.path().string()) + " timeout 120 script -qec " +
                           shell_quoted(command) + " /dev/null > shown.txt 2>&1 < /dev/null";
  ASSERT_EQ(std::system(line.c_str()), 0);
  const std::string shown = read_file(at("work/shown.txt"));
  // The last count is the whole, with the time it took (however slow the build) and no time left.
  const std::size_t last = shown.find("\rnull runs 100 of 100, ");
  ASSERT_NE(last, std::string::npos) << shown;
  const std::string closing = shown.substr(last + 1, shown.find('\r', last + 1) - last - 1);
  EXPECT_NE(closing.find(" elapsed"), std::string::npos) << closing;
  EXPECT_EQ(closing.find("left"), std::string::npos) << closing;
  EXPECT_NE(shown.find("\r\r\nkova2: 483 biclusters written to 'out.txt'"), std::string::npos) << shown;
  EXPECT_TRUE(fs::exists(at("work/out.txt.significance.tsv")));
}

TEST_F(BatchMeaning, AStoppedRunLeavesNoMeaningFile) {
  fs::create_directories(at("work"));
  write_file(at("work/out.txt.significance.tsv"), "an earlier run's significance");
  // A million null runs, killed after a second: well into them, since the search itself takes a
  // few hundredths of a second. kova2 is started with exec, so that $! is kova2 itself: a kill
  // that reached only a wrapper (timeout, a subshell) would leave it running its null runs on.
  const std::string line = kova2_line("work",
                                      {"--matrix", kGolub.string(), "--output", "out.txt", "--threshold", "0.9",
                                       "--significance", "1000000", "--sample-classes", golub_classes().string()},
                                      "exec") +
                           " < /dev/null > /dev/null 2>&1 & pid=$!; sleep 1; kill -KILL $pid; wait $pid";
  const int raw = std::system(line.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 128 + SIGKILL);  // killed, not finished
  EXPECT_FALSE(fs::exists(at("work/out.txt.significance.tsv")));
  EXPECT_FALSE(fs::exists(at("work/out.txt.classes.tsv")));
  EXPECT_FALSE(fs::exists(at("work/out.txt.significance.tsv.part")));
  EXPECT_TRUE(fs::exists(at("work/out.txt")));  // the run itself was done
}

}  // namespace
}  // namespace kova
