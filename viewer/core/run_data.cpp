#include "viewer/core/run_data.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <unordered_map>

#include "kova/matrix.hpp"
#include "kova/result_files.hpp"

namespace kova::viewer {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

File open_for_reading(const std::filesystem::path& path) {
  File file(std::fopen(path.string().c_str(), "rb"), &std::fclose);
  if (!file) throw RunLoadError("cannot open " + quoted(path));
  return file;
}

std::string read_whole(const std::filesystem::path& path) {
  File file = open_for_reading(path);
  std::string text;
  char block[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) text.append(block, got);
  if (std::ferror(file.get())) throw RunLoadError("cannot read " + quoted(path));
  return text;
}

std::int64_t count_lines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::int64_t lines = 0;
  char last = '\n';
  for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
    last = *it;
    if (last == '\n') ++lines;
  }
  return std::max<std::int64_t>(1, last == '\n' ? lines : lines + 1);
}

// Without the genes and samples of the run, the matrix tells them, as kova2 reads it.
void count_what_is_not_given(RunFiles& files) {
  if (files.genes >= 0 && files.samples >= 0) return;
  if (files.genes < kCountFromMatrix || files.samples < kCountFromMatrix) {
    throw RunLoadError("the run's number of genes and samples must not be negative");
  }
  try {
    const MatrixShape shape = count_matrix_file(files.matrix);
    if (files.genes < 0) files.genes = shape.genes;
    if (files.samples < 0) files.samples = shape.samples;
  } catch (const std::runtime_error& error) {
    throw RunLoadError(std::string(error.what()) + "; give the run's genes and samples");
  }
}

GeneTable load_table(const RunFiles& files, std::vector<std::string>& warnings) {
  File file = open_for_reading(files.matrix);
  std::unique_ptr<GeneTable> table;
  try {
    table = std::make_unique<GeneTable>(files.genes, files.samples);
  } catch (const std::bad_alloc&) {
    throw RunLoadError("not enough memory for a matrix of " + std::to_string(files.genes) + " x " +
                       std::to_string(files.samples));
  }
  BlockReader reader(file.get());
  MatrixLoadSummary summary;
  try {
    summary = load_matrix(reader, *table);
  } catch (const MatrixFormatError& error) {
    throw RunLoadError(quoted(files.matrix) + ": " + error.what());
  } catch (const MatrixReadError& error) {
    throw RunLoadError("cannot read " + quoted(files.matrix) + ": " + error.what());
  }
  if (summary.ended_in_gene >= 0) {
    throw RunLoadError(quoted(files.matrix) + " line " + std::to_string(count_lines(files.matrix)) +
                       ": the file ends in gene " + std::to_string(summary.ended_in_gene + 1) + " of " +
                       std::to_string(files.genes) + "; the matrix is smaller than the run says (" +
                       std::to_string(files.genes) + " genes x " + std::to_string(files.samples) + " samples)");
  }
  for (const std::string& warning : matrix_warnings(summary, files.genes, files.samples)) {
    warnings.push_back(quoted(files.matrix) + ": " + warning);
  }
  return std::move(*table);
}

// Gene names of the output file back to rows. Names need not be unique; the first row wins.
std::vector<std::vector<std::int32_t>> map_onto_table(const std::vector<ResultBicluster>& biclusters,
                                                      const GeneTable& table, const RunFiles& files) {
  std::unordered_map<std::string_view, std::int32_t> rows;
  rows.reserve(static_cast<std::size_t>(table.genes()));
  for (std::int32_t g = table.genes() - 1; g >= 0; --g) rows[table[g].name] = g;

  std::vector<std::vector<std::int32_t>> gene_rows;
  gene_rows.reserve(biclusters.size());
  for (const ResultBicluster& b : biclusters) {
    std::vector<std::int32_t>& mapped = gene_rows.emplace_back();
    mapped.reserve(b.genes.size());
    for (const std::string& name : b.genes) {
      const auto found = rows.find(name);
      if (found == rows.end()) {
        throw RunLoadError(quoted(files.output) + " line " + std::to_string(b.first_line + 2) + ": gene '" + name +
                           "' of bicluster " + std::to_string(b.number) + " is not in " + quoted(files.matrix));
      }
      mapped.push_back(found->second);
    }
    if (!b.samples.empty() && b.samples.back() > files.samples) {
      throw RunLoadError(quoted(files.output) + " line " + std::to_string(b.first_line + 1) + ": bicluster " +
                         std::to_string(b.number) + " lists sample" + std::to_string(b.samples.back()) +
                         ", the run has " + std::to_string(files.samples) + " samples");
    }
  }
  return gene_rows;
}

std::vector<std::int32_t> count_samples(const std::vector<ResultBicluster>& biclusters, std::int32_t samples) {
  std::vector<std::int32_t> counts(static_cast<std::size_t>(samples), 0);
  for (const ResultBicluster& b : biclusters) {
    for (std::int32_t s : b.samples) ++counts[static_cast<std::size_t>(s - 1)];
  }
  return counts;
}

// Empty when the report belongs to these biclusters; otherwise what does not match.
std::string report_mismatch(const Report& report, const LoadedRun& run, const std::vector<std::int32_t>& counted) {
  if (report.biclusters.size() != run.biclusters.size()) {
    return "it lists " + std::to_string(report.biclusters.size()) + " biclusters, the output file " +
           std::to_string(run.biclusters.size());
  }
  for (std::size_t i = 0; i < report.biclusters.size(); ++i) {
    const ReportLine& line = report.biclusters[i];
    const ResultBicluster& b = run.biclusters[i];
    if (line.rows != static_cast<std::int32_t>(b.genes.size()) ||
        line.columns != static_cast<std::int32_t>(b.samples.size())) {
      return "Bicluster" + std::to_string(line.number) + " has another size than in the output file";
    }
  }
  if (report.gene_counts.size() != static_cast<std::size_t>(run.files.genes) ||
      report.sample_counts.size() != static_cast<std::size_t>(run.files.samples)) {
    return "its counts are for " + std::to_string(report.gene_counts.size()) + " genes and " +
           std::to_string(report.sample_counts.size()) + " samples";
  }
  if (report.sample_counts != counted) return "its per-sample counts differ from the output file";
  return {};
}

void take_membership(LoadedRun& run) {
  const std::vector<std::int32_t> counted = count_samples(run.biclusters, run.files.samples);
  run.sample_counts = counted;
  if (run.files.report.empty()) return;
  std::string problem;
  try {
    problem = report_mismatch(parse_report(read_whole(run.files.report), run.files.report.string()), run, counted);
  } catch (const std::runtime_error& error) {
    problem = error.what();
  }
  if (problem.empty()) {
    run.counts_from_report = true;
  } else {
    run.report_note = "report " + quoted(run.files.report) + " not used (" + problem +
                      "); membership counted from the output file";
  }
}

}  // namespace

LoadedRun load_run(const RunFiles& files) {
  LoadedRun run;
  run.files = files;
  count_what_is_not_given(run.files);
  run.table = load_table(run.files, run.matrix_warnings);
  run.biclusters = parse_output_file(read_whole(files.output), files.output.string());
  run.gene_rows = map_onto_table(run.biclusters, run.table, run.files);
  take_membership(run);
  return run;
}

std::filesystem::path find_report(const std::filesystem::path& output, const std::filesystem::path& current_folder) {
  std::error_code ec;
  for (const std::filesystem::path& folder : {output.parent_path(), current_folder}) {
    const std::filesystem::path candidate = (folder.empty() ? std::filesystem::path(".") : folder) / kReportFileName;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

}  // namespace kova::viewer
