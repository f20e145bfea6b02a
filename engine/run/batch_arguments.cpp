#include "engine/run/batch_arguments.hpp"

#include <set>

#include "common/entry_check.hpp"
#include "common/line_layout.hpp"
#include "common/number_syntax.hpp"
#include "engine/platform/file_names.hpp"
#include "kova/run_settings.hpp"

namespace kova {
namespace {

std::int32_t whole_number(const std::string& option, const std::string& text, std::int32_t lowest) {
  const IntScan scan = scan_int32(text);
  if (scan.length == 0 || scan.length != text.size()) {
    throw ArgumentError(option + " needs a whole number, not '" + text + "'");
  }
  if (!scan.value) throw ArgumentError(option + " " + text + " does not fit a 32-bit integer");
  if (*scan.value < lowest) throw ArgumentError(option + " must be at least " + std::to_string(lowest));
  return *scan.value;
}

// A seed: any whole number from 0 to 2^64 - 1, in decimal digits alone.
std::uint64_t seed(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    throw ArgumentError("--seed needs a whole number from 0 to 18446744073709551615, not '" + text + "'");
  }
  std::uint64_t value = 0;
  for (const char digit : text) {
    const auto d = static_cast<std::uint64_t>(digit - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - d) / 10) {
      throw ArgumentError("--seed " + text + " is larger than 18446744073709551615");
    }
    value = value * 10 + d;
  }
  return value;
}

// The threshold judged as the console way judges its run description: the same words, and a
// suggestion such as 0.85 for "85".
double threshold(const std::string& text) {
  const ThresholdEntry check = check_threshold(text);
  if (!check.ok()) throw ArgumentError(describe_entry("the correlation threshold", text, check));
  return check.value;
}

std::filesystem::path file_name(const std::string& option, const std::string& text) {
  if (text.empty()) throw ArgumentError(option + " needs a file name");
  const std::optional<std::filesystem::path> path = path_from_bytes(text);
  if (!path) throw ArgumentError(option + " '" + text + "' is not text of the system's code page");
  return *path;
}

class Parser {
 public:
  explicit Parser(std::span<const std::string> arguments) : arguments_(arguments) {}

  BatchArguments parse() {
    BatchArguments parsed;
    for (next_ = 0; next_ < arguments_.size();) {
      std::string option = arguments_[next_++];
      std::optional<std::string> attached;
      if (const auto equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
        attached = option.substr(equals + 1);
        option.erase(equals);
      }
      if (option == "--help" || option == "-h") return {BatchCommand::kHelp, {}};
      if (option == "--version") return {BatchCommand::kVersion, {}};
      if (!seen_.insert(option).second) throw ArgumentError(option + " is given twice");
      apply(option, attached, parsed.options);
    }
    check_complete(parsed.options);
    return parsed;
  }

 private:
  void apply(const std::string& option, const std::optional<std::string>& attached, BatchOptions& options) {
    if (option == "--quiet") {
      if (attached) throw ArgumentError("--quiet takes no value");
      options.quiet = true;
      return;
    }
    if (option.rfind("--", 0) != 0) throw ArgumentError("unexpected argument '" + option + "'");
    const auto value = [&] { return attached ? *attached : value_of(option); };
    if (option == "--matrix") {
      options.matrix = file_name(option, value());
    } else if (option == "--output") {
      options.output = file_name(option, value());
    } else if (option == "--report") {
      options.report = file_name(option, value());
    } else if (option == "--threshold") {
      options.threshold = threshold(value());
    } else if (option == "--max") {
      options.max_biclusters = whole_number(option, value(), std::numeric_limits<std::int32_t>::min());
    } else if (option == "--genes") {
      options.genes = whole_number(option, value(), 0);
    } else if (option == "--samples") {
      options.samples = whole_number(option, value(), 0);
    } else if (option == "--threads") {
      options.threads = whole_number(option, value(), 0);
    } else if (option == "--significance") {
      options.significance_runs = whole_number(option, value(), 1);
    } else if (option == "--seed") {
      options.seed = seed(value());
    } else if (option == "--gene-sets") {
      options.gene_sets = file_name(option, value());
    } else if (option == "--gene-names") {
      options.gene_names = file_name(option, value());
    } else if (option == "--sample-classes") {
      options.sample_classes = file_name(option, value());
    } else {
      throw ArgumentError("unknown option '" + option + "'");
    }
  }

  std::string value_of(const std::string& option) {
    if (next_ == arguments_.size()) throw ArgumentError(option + " needs a value");
    return arguments_[next_++];
  }

  void check_complete(const BatchOptions& options) const {
    for (const char* needed : {"--matrix", "--output", "--threshold"}) {
      if (!seen_.contains(needed)) throw ArgumentError(std::string(needed) + " is missing");
    }
    if (seen_.contains("--seed") && !options.significance_runs) {
      throw ArgumentError("--seed goes with --significance N: it seeds the null runs");
    }
    if (options.gene_names && !options.gene_sets) {
      throw ArgumentError("--gene-names goes with --gene-sets FILE: it maps the matrix's names to the sets' names");
    }
    if (options.genes.has_value() != options.samples.has_value()) {
      throw ArgumentError("--genes and --samples go together: give both, or neither to count them from the matrix");
    }
    // The run's numbers are refused here, before any file is touched, in the console way's words.
    try {
      validate({options.genes.value_or(0), options.samples.value_or(0), options.threshold, options.max_biclusters,
                options.threads});
    } catch (const RunSettingsError& e) {
      throw ArgumentError(e.what());
    }
  }

  std::span<const std::string> arguments_;
  std::size_t next_ = 0;
  std::set<std::string> seen_;
};

}  // namespace

BatchArguments parse_batch_arguments(std::span<const std::string> arguments) { return Parser(arguments).parse(); }

std::string batch_usage() {
  std::string usage;
  for (const char* line : {
           "usage: kova2 --matrix FILE --output FILE --threshold T [--max M] [--genes G --samples S]",
           "             [--report FILE] [--threads N] [--quiet]",
           "             [--significance N [--seed S]] [--gene-sets FILE [--gene-names FILE]]",
           "             [--sample-classes FILE]",
           "       kova2 --help | --version",
           "       kova2            (no arguments: the run description files and the console question)",
           "",
           "  --matrix FILE     the expression matrix: per gene a name and one value per sample, no header",
           "  --output FILE     the output file to write (created or replaced)",
           "  --threshold T     the correlation threshold, such as 0.9",
           "  --max M           the maximum number of biclusters (default: no limit)",
           "  --genes G         the number of genes and of samples to read; without them both are",
           "  --samples S       counted from the matrix, one gene per line",
           "  --report FILE     the report (default: bicluster_report.txt beside the output file)",
           "  --threads N       threads for the search (default 0: one per core)",
           "  --quiet           no progress line and no closing line",
           "",
           "What the biclusters mean, each in a tab-separated file beside the output (docs/meaning.md):",
           "  --significance N  the same search on N matrices with each gene's values shuffled over the",
           "                    samples: a p-value per bicluster, in OUTPUT.significance.tsv",
           "  --seed S          the shuffles' seed (default 1): the same seed, the same p-values",
           "  --gene-sets FILE  gene sets (GMT): the sets each bicluster's genes share, in OUTPUT.enrichment.tsv",
           "  --gene-names FILE the matrix's names to the sets' names: name, symbol, description per line",
           "  --sample-classes FILE  classes of the samples (one line per sample: name, then classes; or a",
           "                    .meta file): the classes each bicluster's samples hold, in OUTPUT.classes.tsv",
           "",
           "Exit status: 0 done, 1 failed, 2 wrong arguments.",
       }) {
    usage += as_line(line);
  }
  return usage;
}

}  // namespace kova
