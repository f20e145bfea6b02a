#include "viewer/core/class_levels.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <unordered_map>

namespace kova::viewer {
namespace {

constexpr std::string_view kMergeForm = "write merges as LEVEL,LEVEL,...=NEW, separated by ';', such as B1,B2,B3,B4=B";

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Qualitative colours that stay apart on screen and in print, then hues a golden angle apart.
Rgb palette_colour(std::size_t index) {
  static constexpr Rgb kPalette[] = {
      {27, 158, 119},  {217, 95, 2},    {117, 112, 179}, {231, 41, 138}, {102, 166, 30}, {230, 171, 2},
      {166, 118, 29},  {31, 120, 180},  {251, 154, 153}, {106, 61, 154}, {178, 223, 138}, {253, 191, 111},
      {90, 90, 90},    {166, 206, 227}, {177, 89, 40},   {0, 128, 128},  {202, 178, 214}, {128, 0, 0},
      {188, 189, 34},  {23, 190, 207}};
  if (index < std::size(kPalette)) return kPalette[index];
  const double hue = std::fmod(static_cast<double>(index) * 137.508, 360.0) / 60.0;
  const double lightness = (index / std::size(kPalette)) % 2 == 0 ? 0.45 : 0.65;
  const double chroma = (1.0 - std::abs(2.0 * lightness - 1.0)) * 0.7;
  const double x = chroma * (1.0 - std::abs(std::fmod(hue, 2.0) - 1.0));
  const int sector = static_cast<int>(hue);
  double r = 0, g = 0, b = 0;
  switch (sector) {
    case 0: r = chroma, g = x; break;
    case 1: r = x, g = chroma; break;
    case 2: g = chroma, b = x; break;
    case 3: g = x, b = chroma; break;
    case 4: r = x, b = chroma; break;
    default: r = chroma, b = x; break;
  }
  const double m = lightness - chroma / 2.0;
  const auto byte = [m](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v + m, 0.0, 1.0) * 255)); };
  return {byte(r), byte(g), byte(b)};
}

}  // namespace

std::vector<LevelMerge> parse_level_merges(std::string_view text) {
  std::vector<LevelMerge> merges;
  std::set<std::string, std::less<>> merged;
  for (std::string_view piece : split(text, ';')) {
    piece = trimmed(piece);
    if (piece.empty()) continue;
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) {
      throw LevelMergeError("'" + std::string(piece) + "' has no '=': " + std::string(kMergeForm));
    }
    LevelMerge merge;
    merge.into = std::string(trimmed(piece.substr(equals + 1)));
    if (merge.into.empty() || merge.into.find('=') != std::string::npos) {
      throw LevelMergeError("'" + std::string(piece) + "' needs one new level after '=': " + std::string(kMergeForm));
    }
    for (std::string_view level : split(piece.substr(0, equals), ',')) {
      level = trimmed(level);
      if (level.empty()) {
        throw LevelMergeError("'" + std::string(piece) + "' has an empty level: " + std::string(kMergeForm));
      }
      if (!merged.emplace(level).second) {
        throw LevelMergeError("level '" + std::string(level) + "' is merged twice");
      }
      merge.levels.emplace_back(level);
    }
    merges.push_back(std::move(merge));
  }
  return merges;
}

void merge_levels(SampleAnnotation& annotation, std::span<const LevelMerge> merges) {
  std::unordered_map<std::string, std::string> into;
  for (const LevelMerge& merge : merges) {
    for (const std::string& level : merge.levels) into[level] = merge.into;
  }
  for (std::vector<std::string>& column : annotation.classes) {
    for (std::string& level : column) {
      if (const auto found = into.find(level); found != into.end()) level = found->second;
    }
  }
}

bool natural_less(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (is_digit(a[i]) && is_digit(b[j])) {
      // Compare the runs of digits by value: without leading zeros, the longer is larger.
      std::size_t i_end = i, j_end = j;
      while (i_end < a.size() && is_digit(a[i_end])) ++i_end;
      while (j_end < b.size() && is_digit(b[j_end])) ++j_end;
      std::string_view x = a.substr(i, i_end - i), y = b.substr(j, j_end - j);
      const std::string_view x_value = x.substr(std::min(x.find_first_not_of('0'), x.size()));
      const std::string_view y_value = y.substr(std::min(y.find_first_not_of('0'), y.size()));
      if (x_value.size() != y_value.size()) return x_value.size() < y_value.size();
      if (x_value != y_value) return x_value < y_value;
      if (x.size() != y.size()) return x.size() < y.size();  // "01" after "1": some order, always the same
      i = i_end, j = j_end;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    ++i, ++j;
  }
  return a.size() - i < b.size() - j;
}

Rgb ClassColours::colour_of(std::string_view level) const {
  for (std::size_t i = 0; i < levels.size(); ++i) {
    if (levels[i] == level) return colours[i];
  }
  return kNoLabelColour;
}

std::vector<ClassColours> class_colours(const SampleAnnotation& annotation) {
  std::vector<ClassColours> columns;
  std::size_t next = 0;
  for (std::size_t c = 0; c < annotation.classes.size(); ++c) {
    ClassColours column;
    column.title = c < annotation.class_titles.size() ? annotation.class_titles[c] : std::string();
    std::set<std::string, std::less<>> levels(annotation.classes[c].begin(), annotation.classes[c].end());
    const bool unlabelled = levels.erase("") > 0;
    column.levels.assign(levels.begin(), levels.end());
    std::sort(column.levels.begin(), column.levels.end(),
              [](const std::string& a, const std::string& b) { return natural_less(a, b); });
    for (std::size_t i = 0; i < column.levels.size(); ++i) column.colours.push_back(palette_colour(next++));
    if (unlabelled) {
      column.levels.emplace_back();
      column.colours.push_back(kNoLabelColour);
    }
    columns.push_back(std::move(column));
  }
  return columns;
}

}  // namespace kova::viewer
