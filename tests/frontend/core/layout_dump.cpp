// Prints the three windows' control tables for the tests that click the real windows: one line
// per control, "caption<TAB>name<TAB>left top width height" in twips relative to the window's
// client area, and a line "caption<TAB>-<TAB>0 0 width height" for the client area itself.

#include <iostream>

#include "frontend/core/window_layouts.hpp"

int main() {
  for (const kova::WindowLayout* window :
       {&kova::main_window_layout(), &kova::input_parameters_layout(), &kova::engine_selection_layout()}) {
    std::cout << window->caption << "\t-\t0 0 " << window->client_width << ' ' << window->client_height << '\n';
    for (const kova::ControlSpec& entry : window->controls) {
      const kova::TwipsRect r = kova::window_rect(*window, entry);
      std::cout << window->caption << '\t' << entry.name << '\t' << r.left << ' ' << r.top << ' ' << r.width << ' '
                << r.height << '\n';
    }
  }
}
