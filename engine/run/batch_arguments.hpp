#pragma once
// The command line of kova2's batch way:
//   kova2 --matrix FILE --output FILE --threshold T [--max M] [--genes G --samples S]
//         [--report FILE] [--threads N] [--quiet]
//         [--significance N [--seed S]] [--gene-sets FILE [--gene-names FILE]] [--sample-classes FILE]
// and kova2 --help, kova2 --version.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace kova {

// Wrong arguments: the message says which and why; the usage goes with it.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BatchOptions {
  std::filesystem::path matrix;
  std::filesystem::path output;
  std::optional<std::filesystem::path> report;  // default: bicluster_report.txt beside the output
  double threshold = 0.0;
  std::int32_t max_biclusters = std::numeric_limits<std::int32_t>::max();  // no limit
  std::optional<std::int32_t> genes;  // both given or neither; counted from the matrix when not
  std::optional<std::int32_t> samples;
  int threads = 0;  // 0: one per core
  bool quiet = false;
  // What the biclusters mean, each written to a file beside the output (docs/meaning.md).
  std::optional<std::int32_t> significance_runs;  // null runs
  std::uint64_t seed = 1;
  std::optional<std::filesystem::path> gene_sets;   // GMT
  std::optional<std::filesystem::path> gene_names;  // the matrix's names to the sets' names
  std::optional<std::filesystem::path> sample_classes;
};

enum class BatchCommand { kRun, kHelp, kVersion };

struct BatchArguments {
  BatchCommand command = BatchCommand::kRun;
  BatchOptions options;
};

// `arguments` without the program name. Numbers follow the run description's grammar, each
// argument one whole number. Throws ArgumentError.
BatchArguments parse_batch_arguments(std::span<const std::string> arguments);

// The usage text, every line ended by CR LF.
std::string batch_usage();

}  // namespace kova
