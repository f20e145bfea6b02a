#include "engine/meaning/sample_annotation.hpp"

#include <fstream>
#include <map>
#include <sstream>

namespace kova {
namespace {

constexpr std::string_view kMetaNames = "sample_ids_in_column_order";
constexpr std::string_view kMetaPrefix = "sample_";
constexpr std::string_view kMetaColumnSuffix = "_in_column_order";
constexpr std::string_view kMetaCodingSuffix = "_coding";

struct Line {
  std::int64_t number;  // 1-based
  std::string_view text;
};

std::vector<Line> lines_of(std::string_view text) {
  std::vector<Line> lines;
  std::int64_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({++number, line});
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    fields.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::vector<std::string> words(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::vector<std::string> result;
  for (std::string word; in >> word;) result.push_back(word);
  return result;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string at_line(const std::string& file, std::int64_t line) {
  return "'" + file + "' line " + std::to_string(line) + ": ";
}

std::string count_problem(std::size_t found, std::int32_t samples) {
  return std::to_string(found) + (found == 1 ? " sample" : " samples") + ", the matrix has " + std::to_string(samples);
}

// "0 = ALL (27 samples), 1 = AML (11 samples)": code to label.
std::map<std::string, std::string> parse_coding(std::string_view text) {
  std::map<std::string, std::string> coding;
  for (const std::string& part : split(text, ',')) {
    const std::size_t equals = part.find('=');
    if (equals == std::string::npos) continue;
    std::string_view label = trimmed(std::string_view(part).substr(equals + 1));
    if (const std::size_t note = label.find(" ("); note != std::string_view::npos) label = label.substr(0, note);
    coding[std::string(trimmed(std::string_view(part).substr(0, equals)))] = std::string(label);
  }
  return coding;
}

bool is_meta(const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.text.starts_with(kMetaNames) && line.text.substr(kMetaNames.size()).starts_with(':')) return true;
  }
  return false;
}

SampleAnnotation parse_meta(const std::vector<Line>& lines, const std::string& file, std::int32_t samples) {
  SampleAnnotation annotation;
  std::vector<std::pair<std::string, std::map<std::string, std::string>>> codings;
  for (const Line& line : lines) {
    const std::size_t colon = line.text.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = line.text.substr(0, colon);
    const std::string_view value = trimmed(line.text.substr(colon + 1));
    if (!key.starts_with(kMetaPrefix)) continue;
    if (key.ends_with(kMetaCodingSuffix)) {
      const std::string_view title =
          key.substr(kMetaPrefix.size(), key.size() - kMetaPrefix.size() - kMetaCodingSuffix.size());
      codings.emplace_back(std::string(title), parse_coding(value));
      continue;
    }
    if (!key.ends_with(kMetaColumnSuffix)) continue;
    // "none in the source (...)": the samples have no names.
    if (key == kMetaNames && value.starts_with("none")) continue;
    std::vector<std::string> values = words(value);
    if (values.size() != static_cast<std::size_t>(samples)) {
      throw AnnotationError(at_line(file, line.number) + std::string(key) + " lists " +
                            count_problem(values.size(), samples));
    }
    if (key == kMetaNames) {
      annotation.names = std::move(values);
    } else {
      annotation.class_titles.emplace_back(
          key.substr(kMetaPrefix.size(), key.size() - kMetaPrefix.size() - kMetaColumnSuffix.size()));
      annotation.classes.push_back(std::move(values));
    }
  }
  for (std::size_t c = 0; c < annotation.class_titles.size(); ++c) {
    for (const auto& [title, coding] : codings) {
      if (!annotation.class_titles[c].starts_with(title)) continue;
      for (std::string& value : annotation.classes[c]) {
        if (const auto found = coding.find(value); found != coding.end()) value = found->second;
      }
    }
  }
  return annotation;
}

SampleAnnotation parse_lines(std::vector<Line> lines, const std::string& file, std::int32_t samples) {
  SampleAnnotation annotation;
  std::size_t first = 0;
  if (!lines.empty() && lines[0].text.starts_with('#')) {
    std::vector<std::string> titles = split(lines[0].text.substr(1), '\t');
    titles.erase(titles.begin());  // over the names
    annotation.class_titles = std::move(titles);
    first = 1;
  }
  while (lines.size() > first && trimmed(lines.back().text).empty()) lines.pop_back();  // blank lines at the end
  const std::size_t found = lines.size() - first;
  if (found != static_cast<std::size_t>(samples)) {
    const std::int64_t line = found > static_cast<std::size_t>(samples)
                                  ? lines[first + static_cast<std::size_t>(samples)].number
                                  : (lines.empty() ? 1 : lines.back().number);
    throw AnnotationError(at_line(file, line) + "one line per sample in column order, but the file holds " +
                          count_problem(found, samples));
  }
  std::vector<std::vector<std::string>> rows;
  std::size_t labels = annotation.class_titles.size();
  for (std::size_t i = first; i < lines.size(); ++i) {
    if (trimmed(lines[i].text).empty()) {
      throw AnnotationError(at_line(file, lines[i].number) + "an empty line; every sample needs its own line");
    }
    rows.push_back(split(lines[i].text, '\t'));
    labels = std::max(labels, rows.back().size() - 1);
  }
  annotation.classes.assign(labels, std::vector<std::string>(rows.size()));
  for (std::size_t c = annotation.class_titles.size(); c < labels; ++c) {
    annotation.class_titles.push_back("class " + std::to_string(c + 1));
  }
  bool named = false;
  for (std::size_t s = 0; s < rows.size(); ++s) {
    annotation.names.push_back(std::string(trimmed(rows[s][0])));
    named = named || !annotation.names.back().empty();
    for (std::size_t c = 1; c < rows[s].size(); ++c) annotation.classes[c - 1][s] = std::string(trimmed(rows[s][c]));
  }
  if (!named) annotation.names.clear();
  return annotation;
}

}  // namespace

std::string SampleAnnotation::label(std::int32_t s) const {
  const auto index = static_cast<std::size_t>(s);
  if (index < names.size() && !names[index].empty()) return names[index];
  return std::to_string(s + 1);
}

SampleAnnotation parse_sample_annotation(std::string_view text, const std::string& file, std::int32_t samples) {
  const std::vector<Line> lines = lines_of(text);
  SampleAnnotation annotation = is_meta(lines) ? parse_meta(lines, file, samples) : parse_lines(lines, file, samples);
  annotation.file = file;
  return annotation;
}

SampleAnnotation read_sample_annotation(const std::filesystem::path& path, std::int32_t samples) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw AnnotationError("cannot open '" + path.string() + "'");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw AnnotationError("cannot read '" + path.string() + "'");
  return parse_sample_annotation(text.str(), path.string(), samples);
}

}  // namespace kova
