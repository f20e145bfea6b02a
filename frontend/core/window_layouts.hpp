#pragma once
// The three windows' controls, in twips (1/1440 inch) relative to each control's container: the
// one definition that the Qt and the Win32 windows, and the tests that click them, are built from.

#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kova {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

enum class ControlKind {
  kButton,
  kFrame,  // a captioned group box that contains other controls
  kLabel,
  kTextBox,   // single line, any text
  kHelpPane,  // multi-line, wrapping, no scroll bars
};

struct ControlSpec {
  std::string_view name;
  ControlKind kind;
  std::string_view caption;
  std::string_view container;  // empty: the window itself
  TwipsRect rect;              // relative to the container
  int tab_index;
};

struct WindowLayout {
  std::string_view name;
  std::string_view caption;
  int client_width;  // twips
  int client_height;
  std::span<const ControlSpec> controls;
};

const WindowLayout& main_window_layout();       // Form1, "KOVA"
const WindowLayout& input_parameters_layout();  // Form2, "Input parameters"
const WindowLayout& engine_selection_layout();  // Form3, "Execute"

// The control of that name; throws std::out_of_range when the window has none.
const ControlSpec& control(const WindowLayout& window, std::string_view name);

// The control's rectangle relative to the window's client area (its containers' offsets added).
TwipsRect window_rect(const WindowLayout& window, const ControlSpec& entry);

// The controls that take the focus (buttons, text boxes, help pane), in focus order.
std::vector<const ControlSpec*> focus_order(const WindowLayout& window);

// The layouts were drawn for 8-point text, 13 pixels high at 96 dots per inch: 195 twips.
inline constexpr int kLayoutTextHeightTwips = 195;

// Pixels per twip for windows whose text is `text_height_pixels` high (the font's line height), so
// that controls grow with their text and keep the layout's proportions; never less than the
// screen's own twips (`dots_per_inch` / 1440).
double pixels_per_twip(int text_height_pixels, int dots_per_inch);

// The smallest scale from `pixels_per_twip` upward, in steps of 2 %, at which `fits` holds for
// every control of the window with a caption: a font wider than the one the layout was drawn for
// still shows every caption whole. `fits` tells whether the control's caption fits it at a scale.
double scale_to_fit(const WindowLayout& window, double pixels_per_twip,
                    const std::function<bool(const ControlSpec&, double pixels_per_twip)>& fits);

// Twips to pixels at a scale, rounded to the nearest pixel.
inline int scaled(int twips, double pixels_per_twip) { return static_cast<int>(std::lround(twips * pixels_per_twip)); }

}  // namespace kova
