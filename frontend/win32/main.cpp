// KOVA.exe: the windowed front end on the Win32 API. Main wires the common dialogs, the message
// boxes and the engine start in a new console to the main window, and runs the message loop.

#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include <exception>

#include "frontend/core/workflow.hpp"
#include "frontend/win32/console_launcher.hpp"
#include "frontend/win32/main_window.hpp"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    InitCommonControls();
    const auto icon = static_cast<HICON>(LoadImageA(instance, "IDI_ICON1", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    kova::win32::FormWindow::register_class(instance, icon);
    kova::Workflow workflow;
    kova::win32::ConsoleLauncher launcher;
    kova::win32::Form1 main_window(workflow, launcher);
    main_window.show();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      // Tab and Shift+Tab walk the controls of the window that has the focus; Enter presses the
      // focused button (the dialog manager presses only a dialog's default button).
      HWND top = GetAncestor(message.hwnd, GA_ROOT);
      if (top != nullptr && kova::win32::FormWindow::is_form(top)) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
            kova::win32::FormWindow::press_focused_button(top)) {
          continue;
        }
        if (IsDialogMessageA(top, &message)) continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
  } catch (const std::exception& e) {
    kova::win32::show_error(nullptr, e.what());
    return 1;
  }
}
