// The batch command line: what it takes, and what it refuses with which message.

#include "engine/run/batch_arguments.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/support/refusal.hpp"

namespace kova {
namespace {

BatchArguments parse(const std::vector<std::string>& arguments) { return parse_batch_arguments(arguments); }

std::string refusal(const std::vector<std::string>& arguments) {
  return test::refusal_of<ArgumentError>([&] { parse(arguments); });
}

TEST(BatchArguments, TheFewestArgumentsTakeTheDefaults) {
  const BatchOptions o = parse({"--matrix", "m.txt", "--output", "out dir/o.txt", "--threshold", ".85"}).options;
  EXPECT_EQ(o.matrix, "m.txt");
  EXPECT_EQ(o.output, "out dir/o.txt");
  EXPECT_EQ(o.threshold, 0.85);
  EXPECT_EQ(o.max_biclusters, std::numeric_limits<std::int32_t>::max());
  EXPECT_FALSE(o.genes || o.samples || o.report);
  EXPECT_EQ(o.threads, 0);
  EXPECT_FALSE(o.quiet);
}

TEST(BatchArguments, EveryOptionInEitherSpelling) {
  const BatchOptions o = parse({"--quiet", "--threshold=1e-1", "--max", "-3", "--genes=500", "--samples", "38",
                                "--report=r.txt", "--threads", "2", "--output=o.txt", "--matrix", "m.txt"})
                             .options;
  EXPECT_EQ(o.threshold, 0.1);
  EXPECT_EQ(o.max_biclusters, -3);  // as the console takes it: at most one bicluster
  EXPECT_EQ(o.genes, 500);
  EXPECT_EQ(o.samples, 38);
  EXPECT_EQ(o.report, "r.txt");
  EXPECT_EQ(o.threads, 2);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(parse({"--matrix", "m", "--output", "o", "--threshold", "-1", "--threads", "1024"}).options.threads, 1024);
  EXPECT_EQ(parse({"--version"}).command, BatchCommand::kVersion);
  EXPECT_EQ(parse({"--matrix", "m.txt", "--help"}).command, BatchCommand::kHelp);
  EXPECT_EQ(parse({"-h"}).command, BatchCommand::kHelp);
}

TEST(BatchArguments, TheMeaningFilesOptions) {
  const std::vector<std::string> base = {"--matrix", "m.txt", "--output", "o.txt", "--threshold", "0.9"};
  BatchOptions o = parse(base).options;
  EXPECT_FALSE(o.significance_runs || o.gene_sets || o.gene_names || o.sample_classes);
  EXPECT_EQ(o.seed, 1u);
  std::vector<std::string> all = base;
  for (const char* argument : {"--significance", "200", "--seed=18446744073709551615", "--gene-sets", "h.gmt",
                               "--gene-names=probes.txt", "--sample-classes", "ALL.meta"}) {
    all.push_back(argument);
  }
  o = parse(all).options;
  EXPECT_EQ(o.significance_runs, 200);
  EXPECT_EQ(o.seed, 18446744073709551615u);
  EXPECT_EQ(o.gene_sets, "h.gmt");
  EXPECT_EQ(o.gene_names, "probes.txt");
  EXPECT_EQ(o.sample_classes, "ALL.meta");

  const auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> arguments = base;
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return refusal(arguments);
  };
  EXPECT_EQ(with({"--significance", "0"}), "--significance must be at least 1");
  EXPECT_EQ(with({"--significance", "1e3"}), "--significance needs a whole number, not '1e3'");
  EXPECT_EQ(with({"--significance"}), "--significance needs a value");
  EXPECT_EQ(with({"--significance", "9", "--seed", "-1"}),
            "--seed needs a whole number from 0 to 18446744073709551615, not '-1'");
  EXPECT_EQ(with({"--significance", "9", "--seed", "18446744073709551616"}),
            "--seed 18446744073709551616 is larger than 18446744073709551615");
  EXPECT_EQ(with({"--seed", "5"}), "--seed goes with --significance N: it seeds the null runs");
  EXPECT_EQ(with({"--gene-names", "n.txt"}),
            "--gene-names goes with --gene-sets FILE: it maps the matrix's names to the sets' names");
  EXPECT_EQ(with({"--gene-sets="}), "--gene-sets needs a file name");
  EXPECT_EQ(with({"--sample-classes", "a", "--sample-classes", "b"}), "--sample-classes is given twice");
}

TEST(BatchArguments, WrongArgumentsAreNamed) {
  const std::vector<std::string> base = {"--matrix", "m.txt", "--output", "o.txt", "--threshold", "0.9"};
  const auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> all = base;
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  };
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--output", "o.txt", "--threshold", "0.9"}, "--matrix is missing"},
      {{"--matrix", "m.txt", "--threshold", "0.9"}, "--output is missing"},
      {{"--matrix", "m.txt", "--output", "o.txt"}, "--threshold is missing"},
      {with({"--genes", "5"}), "--genes and --samples go together"},
      {with({"--samples", "5"}), "--genes and --samples go together"},
      {with({"--max"}), "--max needs a value"},
      {with({"--max", "ten"}), "--max needs a whole number, not 'ten'"},
      {with({"--max", "10x"}), "--max needs a whole number, not '10x'"},
      {with({"--max", "2147483648"}), "--max 2147483648 does not fit a 32-bit integer"},
      {with({"--genes", "-1", "--samples", "3"}), "--genes must be at least 0"},
      {with({"--threads", "-2"}), "--threads must be at least 0"},
      // The run's numbers, in the console way's words.
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "0,9"},
       "the correlation threshold '0,9' is written with a decimal comma; the decimal separator is '.': did you mean "
       "0.9?"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "nan"},
       "the correlation threshold 'nan' is not a number"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "inf"},
       "the correlation threshold 'inf' is not a number"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "-"}, "the correlation threshold '-' is not a number"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "85"},
       "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "-5"},
       "the correlation threshold -5 lies outside -1 to 1: did you mean -0.05?"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "1.0000001"},
       "the correlation threshold 1.0000001 lies outside -1 to 1"},
      {{"--matrix", "m.txt", "--output", "o.txt", "--threshold", "1e400"},
       "the correlation threshold 1e400 lies outside -1 to 1"},
      {with({"--threads", "1025"}), "the number of threads 1025 lies outside 0 to 1024; 0 takes one per core"},
      {with({"--matrix", "n.txt"}), "--matrix is given twice"},
      {with({"--colour", "red"}), "unknown option '--colour'"},
      {with({"extra.txt"}), "unexpected argument 'extra.txt'"},
      {with({"-q"}), "unexpected argument '-q'"},
      {with({"--quiet=yes"}), "--quiet takes no value"},
      {{"--matrix=", "--output", "o.txt", "--threshold", "0.9"}, "--matrix needs a file name"},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal(c.arguments).substr(0, c.message.size()), c.message);
}

TEST(BatchArguments, TheUsageNamesEveryOptionAndEndsItsLinesWithCrLf) {
  const std::string usage = batch_usage();
  for (const char* option :
       {"--matrix", "--output", "--threshold", "--max", "--genes", "--samples", "--report", "--threads", "--quiet",
        "--help", "--version", "--significance", "--seed", "--gene-sets", "--gene-names", "--sample-classes"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  for (std::size_t end = usage.find('\n'); end != std::string::npos; end = usage.find('\n', end + 1)) {
    EXPECT_EQ(usage[end - 1], '\r') << "line ending at " << end;
  }
  EXPECT_EQ(usage.substr(usage.size() - 2), "\r\n");
}

}  // namespace
}  // namespace kova
