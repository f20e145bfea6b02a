#pragma once
// The three windows' controls, in twips (1/1440 inch) relative to each control's container: the
// one definition that the Qt and the Win32 windows, and the tests that click them, are built from.

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
  Button,
  Frame,  // a captioned group box that contains other controls
  Label,
  TextBox,   // single line, any text
  HelpPane,  // multi-line, wrapping, no scroll bars
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
TwipsRect window_rect(const WindowLayout& window, const ControlSpec& spec);

// The controls that take the focus (buttons, text boxes, help pane), in focus order.
std::vector<const ControlSpec*> focus_order(const WindowLayout& window);

// Twips to pixels at `dots_per_inch` (96 at 100 % scaling), rounded to the nearest pixel.
inline int twips_to_pixels(int twips, int dots_per_inch) { return (twips * dots_per_inch + 720) / 1440; }

}  // namespace kova
