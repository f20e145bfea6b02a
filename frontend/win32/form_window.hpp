#pragma once
// A top-level window built from its control table: every control a child of the window at its
// twips scaled with the window's font (frames drawn behind, focus in tab order), and a click
// handler per button.

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "frontend/core/window_layouts.hpp"

namespace kova::win32 {

class FormWindow {
 public:
  // Registers the window class once; call before the first window is made.
  static void register_class(HINSTANCE instance, HICON main_icon);

  // Creates the window hidden; `with_icon`: the program's icon in its title bar.
  FormWindow(const WindowLayout& layout, bool with_icon);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  void on_click(std::string_view button, std::function<void()> handler);
  // What the title bar's close button does.
  void on_close(std::function<void()> handler) { close_handler_ = std::move(handler); }

  // Shows the window in front with the focus where it last was (first time: the first control).
  void show();
  // Brings the window to the front with the focus where it was: after a dialog or a message box,
  // also where no window manager hands the focus back.
  void take_focus();
  void hide() { ShowWindow(window_, SW_HIDE); }
  HWND handle() const { return window_; }

  // The text of a text box or the help pane, as the system code page's bytes.
  std::string text(std::string_view control) const;
  void set_text(std::string_view control, const std::string& text);

  // The window under `handle` that dialog keys (Tab, Enter) go to, if it is one of ours.
  static bool is_form(HWND handle);
  // Enter on a focused button of the form `form` presses it, as Space does; false where the focus
  // is on no button of it.
  static bool press_focused_button(HWND form);

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle_message(UINT message, WPARAM w, LPARAM l);
  void create_controls();
  HWND control(std::string_view name) const { return controls_.at(std::string(name)); }

  const WindowLayout& layout_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  double scale_ = 0;  // pixels per twip
  HWND focus_ = nullptr;
  std::map<std::string, HWND> controls_;
  std::map<int, std::function<void()>> clicks_;  // by control id
  std::function<void()> close_handler_;
};

}  // namespace kova::win32
