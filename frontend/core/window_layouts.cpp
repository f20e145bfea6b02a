#include "frontend/core/window_layouts.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace kova {
namespace {

using K = ControlKind;

// `Open` and the genes box belong to their windows but lie over a frame, drawn in front of it.
constexpr std::array<ControlSpec, 8> kMainControls{{
    {"Frame1", K::kFrame, "Controls", "", {120, 240, 2055, 3495}, 1},
    {"Open", K::kButton, "Select Input File", "", {240, 600, 1695, 375}, 0},
    {"Command4", K::kButton, "Enter Input Description", "Frame1", {120, 960, 1695, 495}, 7},
    {"Command1", K::kButton, "Enter Output File Name", "Frame1", {120, 1680, 1695, 495}, 2},
    {"Command2", K::kButton, "Start Biclustering", "Frame1", {120, 2280, 1695, 375}, 3},
    {"Command3", K::kButton, "Exit", "Frame1", {480, 2880, 735, 495}, 4},
    {"Frame2", K::kFrame, "Help Window", "", {3000, 360, 2175, 3255}, 5},
    {"Text1", K::kHelpPane, "", "Frame2", {120, 240, 1935, 2895}, 6},
}};

constexpr std::array<ControlSpec, 8> kInputParametersControls{{
    {"Frame1", K::kFrame, "Enter Data", "", {360, 240, 4095, 2895}, 1},
    {"Text1", K::kTextBox, "", "", {480, 600, 1095, 375}, 0},
    {"Label1", K::kLabel, "Number of Genes in Input File", "Frame1", {1320, 480, 2295, 495}, 2},
    {"Text2", K::kTextBox, "", "Frame1", {120, 1200, 1095, 375}, 3},
    {"Label2", K::kLabel, "Number of Samples in Input File", "Frame1", {1320, 1320, 2415, 255}, 4},
    {"Text3", K::kTextBox, "", "Frame1", {120, 1920, 1095, 375}, 6},
    {"Label3", K::kLabel, "Correlation threshold", "Frame1", {1320, 2040, 1575, 255}, 7},
    {"Command1", K::kButton, "Submit", "", {1680, 3240, 1095, 495}, 5},
}};

constexpr std::array<ControlSpec, 3> kEngineSelectionControls{{
    {"Command1", K::kButton, "KOVA", "", {360, 360, 1335, 375}, 0},
    {"Label1", K::kLabel, "OR", "", {840, 960, 975, 375}, 2},
    {"Command2", K::kButton, "KOVA (no overlapping)", "", {120, 1440, 1935, 495}, 1},
}};

bool takes_focus(ControlKind kind) { return kind != K::kFrame && kind != K::kLabel; }

}  // namespace

const WindowLayout& main_window_layout() {
  static const WindowLayout layout{"Form1", "KOVA", 5400, 3810, kMainControls};
  return layout;
}

const WindowLayout& input_parameters_layout() {
  static const WindowLayout layout{"Form2", "Input parameters", 4680, 3930, kInputParametersControls};
  return layout;
}

const WindowLayout& engine_selection_layout() {
  static const WindowLayout layout{"Form3", "Execute", 2205, 2160, kEngineSelectionControls};
  return layout;
}

const ControlSpec& control(const WindowLayout& window, std::string_view name) {
  const auto found = std::ranges::find(window.controls, name, &ControlSpec::name);
  if (found == window.controls.end()) {
    throw std::out_of_range(std::string(window.name) + " has no control " + std::string(name));
  }
  return *found;
}

TwipsRect window_rect(const WindowLayout& window, const ControlSpec& entry) {
  TwipsRect rect = entry.rect;
  for (std::string_view container = entry.container; !container.empty();) {
    const ControlSpec& outer = control(window, container);
    rect.left += outer.rect.left;
    rect.top += outer.rect.top;
    container = outer.container;
  }
  return rect;
}

std::vector<const ControlSpec*> focus_order(const WindowLayout& window) {
  std::vector<const ControlSpec*> order;
  for (const ControlSpec& entry : window.controls) {
    if (takes_focus(entry.kind)) order.push_back(&entry);
  }
  std::ranges::sort(order, {}, &ControlSpec::tab_index);
  return order;
}

}  // namespace kova

namespace kova {

double pixels_per_twip(int text_height_pixels, int dots_per_inch) {
  return std::max(static_cast<double>(text_height_pixels) / kLayoutTextHeightTwips, dots_per_inch / 1440.0);
}

double scale_to_fit(const WindowLayout& window, double pixels_per_twip,
                    const std::function<bool(const ControlSpec&, double)>& fits) {
  // Four times the text's own scale is far beyond any caption; stop there rather than loop.
  const double most = 4 * pixels_per_twip;
  double scale = pixels_per_twip;
  const auto all_fit = [&] {
    return std::ranges::all_of(window.controls,
                               [&](const ControlSpec& entry) { return entry.caption.empty() || fits(entry, scale); });
  };
  while (!all_fit() && scale < most) scale *= 1.02;
  return scale;
}

}  // namespace kova
