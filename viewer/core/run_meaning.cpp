#include "viewer/core/run_meaning.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace kova::viewer {
namespace {

std::vector<std::string_view> fields_of(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::optional<double> number_of(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string short_number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2g", value);
  return text;
}

bool better(double q, double p, double best_q, double best_p) { return q < best_q || (q == best_q && p < best_p); }

}  // namespace

std::filesystem::path significance_file_for(const std::filesystem::path& output) {
  return std::filesystem::path(output.string() + ".significance.tsv");
}

std::vector<std::optional<Significance>> parse_significance(std::string_view text, const std::string& file,
                                                            std::size_t biclusters) {
  std::vector<std::optional<Significance>> rated(biclusters);
  std::int64_t line_number = 0;
  const auto refuse = [&](const std::string& reason) {
    throw MeaningFileError("'" + file + "' line " + std::to_string(line_number) + ": " + reason);
  };
  std::optional<std::size_t> number_at, p_at, expected_at;
  bool titled = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::vector<std::string_view> fields = fields_of(line);
    if (!titled) {
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == "bicluster") number_at = i;
        if (fields[i] == "p_value") p_at = i;
        if (fields[i] == "expected") expected_at = i;
      }
      if (!number_at || !p_at) refuse("the title line must name the columns 'bicluster' and 'p_value'");
      titled = true;
      continue;
    }
    const std::size_t needed = std::max({*number_at, *p_at, expected_at.value_or(0)}) + 1;
    if (fields.size() < needed) refuse("the line has " + std::to_string(fields.size()) + " fields, the title " + std::to_string(needed));
    const std::optional<double> number = number_of(fields[*number_at]);
    if (!number || *number < 1 || *number != std::floor(*number)) {
      refuse("'" + std::string(fields[*number_at]) + "' is no bicluster number");
    }
    if (*number > static_cast<double>(biclusters)) {
      refuse("bicluster " + std::string(fields[*number_at]) + ", the output file holds " + std::to_string(biclusters) +
             "; is it the file of another run?");
    }
    const std::optional<double> p = number_of(fields[*p_at]);
    if (!p || *p < 0 || *p > 1) refuse("'" + std::string(fields[*p_at]) + "' is no p-value between 0 and 1");
    Significance entry;
    entry.p_value = *p;
    if (expected_at) {
      const std::optional<double> expected = number_of(fields[*expected_at]);
      if (!expected || *expected < 0) refuse("'" + std::string(fields[*expected_at]) + "' is no expected number");
      entry.expected = *expected;
    }
    std::optional<Significance>& slot = rated[static_cast<std::size_t>(*number) - 1];
    if (slot) refuse("bicluster " + std::string(fields[*number_at]) + " is given again");
    slot = entry;
  }
  if (!titled) throw MeaningFileError("'" + file + "': holds no title line (bicluster, p_value, expected)");
  return rated;
}

std::vector<BiclusterMembers> members_of(const LoadedRun& run) {
  std::vector<BiclusterMembers> members(run.biclusters.size());
  for (std::size_t b = 0; b < run.biclusters.size(); ++b) {
    members[b].genes = run.gene_rows[b];
    for (std::int32_t s : run.biclusters[b].samples) members[b].samples.push_back(s - 1);
  }
  return members;
}

std::optional<double> RunMeaning::p_value(std::size_t index) const {
  if (index >= significance.size() || !significance[index]) return std::nullopt;
  return significance[index]->p_value;
}

void read_significance_beside(const LoadedRun& run, RunMeaning& meaning) {
  const std::filesystem::path path = significance_file_for(run.files.output);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) throw MeaningFileError("cannot read '" + path.string() + "'");
  meaning.significance = parse_significance(text.str(), path.string(), run.biclusters.size());
  meaning.significance_file = path;
}

void enrich(const LoadedRun& run, const GeneNames* names, std::vector<GeneSet> sets, const std::filesystem::path& file,
            RunMeaning& meaning) {
  std::vector<std::string> matrix_genes;
  matrix_genes.reserve(static_cast<std::size_t>(run.table.genes()));
  for (std::int32_t row = 0; row < run.table.genes(); ++row) matrix_genes.push_back(run.table[row].name);
  std::vector<std::vector<SetEnrichment>> found;
  try {
    found = enrichment(matrix_genes, names, sets, members_of(run));
  } catch (const MeaningFileError& error) {
    throw MeaningFileError("'" + file.string() + "': " + error.what());
  }
  meaning.enrichment = std::move(found);
  meaning.sets = std::move(sets);
  meaning.sets_file = file;
}

MeaningSummary summarise(const RunMeaning& meaning, std::size_t index) {
  MeaningSummary summary;
  summary.p_value = meaning.p_value(index);
  if (index < meaning.enrichment.size()) {
    for (const SetEnrichment& entry : meaning.enrichment[index]) {
      if (summary.best_set == nullptr ||
          better(entry.q_value, entry.p_value, summary.best_set->q_value, summary.best_set->p_value)) {
        summary.best_set = &entry;
      }
    }
  }
  if (index < meaning.classes.size()) {
    for (const ClassEnrichment& entry : meaning.classes[index]) {
      if (summary.best_class == nullptr ||
          better(entry.q_value, entry.p_value, summary.best_class->q_value, summary.best_class->p_value)) {
        summary.best_class = &entry;
      }
    }
  }
  return summary;
}

std::string best_set_text(const RunMeaning& meaning, const MeaningSummary& summary) {
  if (summary.best_set == nullptr) return {};
  return meaning.sets[static_cast<std::size_t>(summary.best_set->set)].name + " (q " +
         short_number(summary.best_set->q_value) + ")";
}

std::string best_class_text(const SampleAnnotation& annotation, const MeaningSummary& summary) {
  const ClassEnrichment* best = summary.best_class;
  if (best == nullptr) return {};
  const auto column = static_cast<std::size_t>(best->column);
  const std::string title = column < annotation.class_titles.size() ? annotation.class_titles[column] + " " : "";
  return title + best->level + ": " + std::to_string(best->in_bicluster) + " of " +
         std::to_string(best->bicluster_samples) + " (q " + short_number(best->q_value) + ")";
}

std::string meaning_text(const LoadedRun& run, const RunMeaning& meaning, std::size_t index,
                         const SampleAnnotation* annotation, const GeneSymbols* symbols, double most_q,
                         std::size_t most_sets) {
  const ResultBicluster& b = run.biclusters[index];
  std::string text = "Bicluster " + std::to_string(b.number) + "\n";
  if (meaning.significance_file.empty()) {
    text += "Significance: not tested (kova2 --significance N writes " +
            significance_file_for(run.files.output).filename().string() + " beside the output file)\n";
  } else if (const std::optional<Significance>& rated = meaning.significance[index]; rated) {
    text += "Significance: p = " + short_number(rated->p_value) + ", " + short_number(rated->expected) +
            " biclusters as large per null run (" + meaning.significance_file.filename().string() + ")\n";
  } else {
    text += "Significance: not listed in " + meaning.significance_file.filename().string() + "\n";
  }

  if (meaning.sets_file.empty()) {
    text += "Gene sets: none open (File > Open gene sets)\n";
  } else {
    const std::vector<SetEnrichment>& found = meaning.enrichment[index];
    const auto set_line = [&](const SetEnrichment& entry) {
      std::string line = "  " + meaning.sets[static_cast<std::size_t>(entry.set)].name + ": " +
                         std::to_string(entry.overlap) + " of its " + std::to_string(entry.bicluster_size) +
                         " genes in sets, set of " + std::to_string(entry.set_size) + " (universe " +
                         std::to_string(entry.universe) + "), p " + short_number(entry.p_value) + ", q " +
                         short_number(entry.q_value) + ":";
      for (std::int32_t row : entry.overlap_genes) {
        line += " " + (symbols != nullptr && !symbols->of(row).empty() ? symbols->of(row) : run.table[row].name);
      }
      return line + "\n";
    };
    std::size_t listed = 0;
    text += "Gene sets of " + meaning.sets_file.filename().string() + " with q at most " + short_number(most_q) + ":\n";
    for (const SetEnrichment& entry : found) {
      if (entry.q_value > most_q || listed == most_sets) continue;
      ++listed;
      text += set_line(entry);
    }
    if (listed == 0) {
      const MeaningSummary summary = summarise(meaning, index);
      text += summary.best_set == nullptr ? "  none: no gene of it is in a set\n" : "  none; the best:\n" + set_line(*summary.best_set);
    }
  }

  if (annotation == nullptr || annotation->classes.empty() || index >= meaning.classes.size()) {
    text += "Sample classes: no annotation (File > Open sample annotation)\n";
  } else {
    text += "Sample classes of its " + std::to_string(b.samples.size()) + " samples:\n";
    for (const ClassEnrichment& entry : meaning.classes[index]) {
      const auto column = static_cast<std::size_t>(entry.column);
      text += "  " + annotation->class_titles[column] + " " + entry.level + ": " + std::to_string(entry.in_bicluster) +
              " of " + std::to_string(entry.bicluster_samples) + " (" + std::to_string(entry.in_matrix) + " of " +
              std::to_string(entry.samples) + " in the matrix), p " + short_number(entry.p_value) + ", q " +
              short_number(entry.q_value) + "\n";
    }
  }
  return text;
}

}  // namespace kova::viewer
