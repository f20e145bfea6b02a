#include "viewer/core/table_export.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numeric>

namespace kova::viewer {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

class Lines {
 public:
  explicit Lines(Separator separator) : separator_(separator == Separator::kComma ? ',' : '\t') {}

  Lines& field(std::string_view value) { return put(value, false); }
  // Names and classes from the user's files: always quoted in CSV, so that spreadsheets that keep
  // quoted fields as text leave a name such as 01005 or MARCH1 as it is.
  Lines& name(std::string_view value) { return put(value, true); }
  Lines& field(std::int64_t value) { return field(std::to_string(value)); }
  // The shortest form that reads back to the same double.
  Lines& r(double value) {
    if (std::isnan(value)) return field("NA");
    char digits[32];
    return field(std::string_view(digits, std::to_chars(digits, digits + sizeof digits, value).ptr));
  }
  void end_line() {
    text_ += kLineEnd;
    at_start_ = true;
  }
  std::string take() { return std::move(text_); }

 private:
  Lines& put(std::string_view value, bool always_quote) {
    if (!at_start_) text_ += separator_;
    at_start_ = false;
    const bool quote = separator_ == ',' && (always_quote || value.find_first_of(",\"\r\n") != std::string_view::npos);
    if (!quote) {
      text_ += value;
      return *this;
    }
    text_ += '"';
    for (char c : value) {
      if (c == '"') text_ += '"';
      text_ += c;
    }
    text_ += '"';
    return *this;
  }

  char separator_;
  std::string text_;
  bool at_start_ = true;
};

}  // namespace

Separator separator_for(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".csv" ? Separator::kComma : Separator::kTab;
}

std::vector<std::size_t> every_bicluster(const LoadedRun& run) {
  std::vector<std::size_t> all(run.biclusters.size());
  std::iota(all.begin(), all.end(), std::size_t{0});
  return all;
}

std::string bicluster_table_text(const LoadedRun& run, const std::vector<PlainCorrelation>& measures,
                                 std::span<const std::size_t> order, Separator separator, const TableExtras& extras) {
  const GeneSymbols* symbols = extras.symbols;
  const RunMeaning* meaning = extras.meaning;
  const bool significance = meaning != nullptr && !meaning->significance_file.empty();
  const bool sets = meaning != nullptr && !meaning->sets_file.empty();
  const bool classes = meaning != nullptr && extras.annotation != nullptr && !meaning->classes.empty();
  Lines lines(separator);
  for (const char* title : {"bicluster", "genes", "samples", "size", "min_r", "median_r", "max_r", "gene_names"}) {
    lines.field(title);
  }
  if (symbols != nullptr) lines.field("gene_symbols");
  if (significance) lines.field("p_value").field("expected");
  if (sets) lines.field("best_gene_set").field("gene_set_q");
  if (classes) lines.field("best_class").field("class_q");
  lines.end_line();
  for (std::size_t index : order) {
    const ResultBicluster& b = run.biclusters[index];
    const auto genes = static_cast<std::int64_t>(b.genes.size());
    const auto samples = static_cast<std::int64_t>(b.samples.size());
    const PlainCorrelation& m = measures[index];
    std::string names;
    for (const std::string& name : b.genes) names += (names.empty() ? "" : " ") + name;
    lines.field(b.number).field(genes).field(samples).field(genes * samples);
    lines.r(m.smallest).r(m.median).r(m.largest).name(names);
    if (symbols != nullptr) {
      std::string known;
      for (std::int32_t row : run.gene_rows[index]) {
        known += (known.empty() ? "" : " ") + (symbols->of(row).empty() ? std::string("-") : symbols->of(row));
      }
      lines.name(known);
    }
    const MeaningSummary summary = meaning != nullptr ? summarise(*meaning, index) : MeaningSummary{};
    if (significance) {
      const std::optional<Significance>& rated = meaning->significance[index];
      if (rated) {
        lines.r(rated->p_value).r(rated->expected);
      } else {
        lines.field("NA").field("NA");
      }
    }
    if (sets) {
      if (summary.best_set != nullptr) {
        lines.name(meaning->sets[static_cast<std::size_t>(summary.best_set->set)].name).r(summary.best_set->q_value);
      } else {
        lines.field("NA").field("NA");
      }
    }
    if (classes) {
      if (summary.best_class != nullptr) {
        const auto column = static_cast<std::size_t>(summary.best_class->column);
        lines.name(extras.annotation->class_titles[column] + " " + summary.best_class->level).r(summary.best_class->q_value);
      } else {
        lines.field("NA").field("NA");
      }
    }
    lines.end_line();
  }
  return lines.take();
}

std::string bicluster_members_text(const LoadedRun& run, std::span<const std::size_t> order,
                                   const SampleAnnotation* annotation, Separator separator,
                                   const GeneSymbols* symbols) {
  Lines lines(separator);
  lines.field("bicluster").field("member").field("position").field("name");
  if (symbols != nullptr) lines.field("symbol");
  if (annotation != nullptr) {
    for (const std::string& title : annotation->class_titles) lines.field(title);
  }
  lines.end_line();
  for (std::size_t index : order) {
    const ResultBicluster& b = run.biclusters[index];
    for (std::size_t g = 0; g < b.genes.size(); ++g) {
      const std::int32_t row = run.gene_rows[index][g];
      lines.field(b.number).field("gene").field(row + 1).name(b.genes[g]);
      if (symbols != nullptr) lines.name(symbols->of(row));
      if (annotation != nullptr) {
        for (std::size_t c = 0; c < annotation->class_titles.size(); ++c) lines.field("");
      }
      lines.end_line();
    }
    for (std::int32_t s : b.samples) {
      lines.field(b.number).field("sample").field(s);
      const auto sample_name = [&](const std::string& name) {
        lines.name(name);
        if (symbols != nullptr) lines.field("");
      };
      if (annotation != nullptr) {
        sample_name(annotation->names.empty() ? "sample" + std::to_string(s) : annotation->label(s - 1));
        for (const std::vector<std::string>& classes : annotation->classes)
          lines.name(classes[static_cast<std::size_t>(s - 1)]);
      } else {
        sample_name("sample" + std::to_string(s));
      }
      lines.end_line();
    }
  }
  return lines.take();
}

void write_text_file(const std::filesystem::path& path, const std::string& text) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.string().c_str(), "wb"), &std::fclose);
  if (!file) throw ExportError("cannot create '" + path.string() + "'");
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  if (!written || std::fclose(file.release()) != 0) throw ExportError("cannot write '" + path.string() + "'");
}

}  // namespace kova::viewer
