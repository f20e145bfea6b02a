#pragma once
// The class columns of a sample annotation as the pictures show them: levels merged where the
// user asks (B1, B2, B3 and B4 as B), sorted in natural order (B2 before B10), and one colour per
// level that no other level of any column shares, so two class bars never seem to agree.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "kova/meaning.hpp"
#include "viewer/core/heatmap_model.hpp"

namespace kova::viewer {

// Levels `levels` of every class column become `into`.
struct LevelMerge {
  std::vector<std::string> levels;
  std::string into;
};

// A mapping that cannot be read; the message says why and shows the form.
class LevelMergeError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// "B1,B2,B3,B4=B; T1,T2,T3,T4=T": merges separated by ';', each levels separated by ',', '=',
// the merged level. Blanks around names are dropped; an empty text is no merge.
std::vector<LevelMerge> parse_level_merges(std::string_view text);

// Renames the merged levels in every class column of `annotation`.
void merge_levels(SampleAnnotation& annotation, std::span<const LevelMerge> merges);

// "B2" < "B10": runs of digits compare by their value, everything else byte by byte.
bool natural_less(std::string_view a, std::string_view b);

// One class column's levels and their colours; an unlabelled sample is "" and comes last.
struct ClassColours {
  std::string title;
  std::vector<std::string> levels;  // natural order
  std::vector<Rgb> colours;         // per level
  Rgb colour_of(std::string_view level) const;
};

inline constexpr Rgb kNoLabelColour{220, 220, 220};

// Every class column of `annotation`, the colours numbered on from one column to the next.
std::vector<ClassColours> class_colours(const SampleAnnotation& annotation);

}  // namespace kova::viewer
