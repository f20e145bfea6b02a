#include "frontend/win32/form_window.hpp"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace kova::win32 {
namespace {

constexpr const char* kClassName = "KovaForm";
constexpr const char* kIconClassName = "KovaFormWithIcon";
constexpr int kFirstControlId = 100;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
// The margin between a button's edge and its caption, in pixels.
constexpr int kButtonTextInset = 3;

// The window's DPI where the system tells it per window (Windows 10 and later), else the
// screen's; at 125 % scaling 120, at 150 % 144.
UINT window_dpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi_for_window(window); dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The font the layouts were drawn for: a sans serif of 8 points, with the widths of MS Sans Serif
// (its TrueType successor where there is one), so that captions fit their controls; the system's
// message font where neither is installed.
HFONT layout_font(UINT dpi) {
  HDC screen = GetDC(nullptr);
  HFONT chosen = nullptr;
  for (const char* face : {"Microsoft Sans Serif", "MS Sans Serif"}) {
    LOGFONTA wanted{};
    wanted.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    wanted.lfWeight = FW_NORMAL;
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&wanted);
    char got[LF_FACESIZE] = {};
    HGDIOBJ previous = SelectObject(screen, font);
    GetTextFaceA(screen, LF_FACESIZE, got);
    SelectObject(screen, previous);
    if (lstrcmpiA(got, face) == 0) {
      chosen = font;
      break;
    }
    DeleteObject(font);
  }
  ReleaseDC(nullptr, screen);
  if (chosen != nullptr) return chosen;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return CreateFontIndirectA(&metrics.lfMessageFont);
  }
  return nullptr;
}

struct ControlClass {
  const char* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass control_class(ControlKind kind) {
  switch (kind) {
    case ControlKind::kButton:
      // Drawn here (draw_button): captions wrap at word boundaries on every system.
      return {"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0};
    case ControlKind::kFrame:
      return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::kLabel:
      return {"STATIC", 0, 0};  // wrapping or not: label_wraps
    case ControlKind::kTextBox:
      return {"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::kHelpPane:
      // Read-only: nothing reads the pane back; its text can still be selected and copied.
      return {"EDIT", WS_TABSTOP | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE};
  }
  return {"STATIC", 0, 0};
}

// A push button: the system's frame, the caption centred and wrapped at blanks onto as many lines
// as it needs, and the focus rectangle.
void draw_button(const DRAWITEMSTRUCT& item) {
  RECT frame = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  char caption[256] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
  if (font != nullptr) SelectObject(item.hDC, font);
  RECT text = item.rcItem;
  InflateRect(&text, -kButtonTextInset, -kButtonTextInset);
  RECT needed = text;
  DrawTextA(item.hDC, caption, -1, &needed, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  text.top += std::max(0L, ((text.bottom - text.top) - (needed.bottom - needed.top)) / 2);
  if (pushed) OffsetRect(&text, 1, 1);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor((item.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextA(item.hDC, caption, -1, &text, DT_CENTER | DT_WORDBREAK);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(item.hDC, &focus);
  }
}

// How a caption needs to be drawn to be whole: measured with the control's font, as the system
// or draw_button draws it.
class CaptionMeasure {
 public:
  explicit CaptionMeasure(HFONT font) : screen_(GetDC(nullptr)) {
    previous_ = SelectObject(screen_, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(screen_, &metrics_);
  }
  ~CaptionMeasure() {
    SelectObject(screen_, previous_);
    ReleaseDC(nullptr, screen_);
  }
  CaptionMeasure(const CaptionMeasure&) = delete;
  CaptionMeasure& operator=(const CaptionMeasure&) = delete;

  int line_height() const { return metrics_.tmHeight; }

  // Whether `caption`, wrapped at blanks, fits a box `width` by `height` pixels.
  bool fits_wrapped(const std::string& caption, int width, int height) const {
    RECT needed{0, 0, width, height};
    DrawTextA(screen_, caption.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK);
    return needed.right <= width && needed.bottom <= height;
  }
  int line_width(const std::string& caption) const {
    SIZE extent{};
    GetTextExtentPoint32A(screen_, caption.c_str(), static_cast<int>(caption.size()), &extent);
    return extent.cx;
  }
  int average_char_width() const { return metrics_.tmAveCharWidth; }

 private:
  HDC screen_;
  HGDIOBJ previous_;
  TEXTMETRICA metrics_{};
};

// A label as tall as two lines wraps its caption; a shorter one shows it on one line.
bool label_wraps(const CaptionMeasure& measure, int height) { return height >= 2 * measure.line_height(); }

bool caption_fits(const CaptionMeasure& measure, const ControlSpec& entry, double scale) {
  const std::string caption(entry.caption);
  const int width = scaled(entry.rect.width, scale);
  const int height = scaled(entry.rect.height, scale);
  switch (entry.kind) {
    case ControlKind::kButton:
      // Within the text area draw_button leaves inside the frame.
      return measure.fits_wrapped(caption, width - 2 * kButtonTextInset, height - 2 * kButtonTextInset);
    case ControlKind::kLabel:
      if (label_wraps(measure, height)) return measure.fits_wrapped(caption, width, height);
      return measure.line_width(caption) <= width && measure.line_height() <= height;
    case ControlKind::kFrame:
      // The title sits on the frame's top edge, indented by about a character on either side.
      return measure.line_width(caption) + 4 * measure.average_char_width() <= width;
    case ControlKind::kTextBox:
    case ControlKind::kHelpPane:
      return true;
  }
  return true;
}

bool takes_focus(ControlKind kind) { return kind != ControlKind::kFrame && kind != ControlKind::kLabel; }

}  // namespace

void FormWindow::register_class(HINSTANCE instance, HICON main_icon) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &FormWindow::procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExA(&wc)) throw std::runtime_error("Cannot register the window class");
  wc.lpszClassName = kIconClassName;
  wc.hIcon = main_icon;
  wc.hIconSm = main_icon;
  if (!RegisterClassExA(&wc)) throw std::runtime_error("Cannot register the window class");
}

FormWindow::FormWindow(const WindowLayout& layout, bool with_icon) : layout_(layout) {
  const std::string caption(layout.caption);
  window_ =
      CreateWindowExA(0, with_icon ? kIconClassName : kClassName, caption.c_str(), kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) throw std::runtime_error("Cannot create the window " + caption);
  // The twips grow with the font (the layouts were drawn for 8-point text) and further where a
  // caption would be clipped, so that text and controls keep the layout's proportions.
  const UINT dpi = window_dpi(window_);
  font_ = layout_font(dpi);
  {
    const CaptionMeasure measure(font_);
    scale_ = scale_to_fit(layout, pixels_per_twip(measure.line_height(), static_cast<int>(dpi)),
                          [&](const ControlSpec& entry, double at) { return caption_fits(measure, entry, at); });
  }
  // The client area at that scale; the frame around it as the system draws it.
  RECT frame{0, 0, scaled(layout.client_width, scale_), scaled(layout.client_height, scale_)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  create_controls();
}

FormWindow::~FormWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

void FormWindow::create_controls() {
  const CaptionMeasure measure(font_);
  // A new child goes below its elder siblings, and Tab walks the children from the top: so the
  // controls that take the focus come first, in focus order, then the labels, and the frames last,
  // behind the controls that lie over them.
  std::vector<const ControlSpec*> order = focus_order(layout_);
  for (const ControlSpec& entry : layout_.controls) {
    if (entry.kind == ControlKind::kLabel) order.push_back(&entry);
  }
  for (const ControlSpec& entry : layout_.controls) {
    if (entry.kind == ControlKind::kFrame) order.push_back(&entry);
  }
  for (const ControlSpec* entry : order) {
    ControlClass cls = control_class(entry->kind);
    const TwipsRect r = window_rect(layout_, *entry);
    const std::string caption(entry->caption);
    const int height = scaled(r.height, scale_);
    if (entry->kind == ControlKind::kLabel) cls.style |= label_wraps(measure, height) ? SS_LEFT : SS_LEFTNOWORDWRAP;
    const auto id = kFirstControlId + static_cast<int>(entry - layout_.controls.data());
    HWND child =
        CreateWindowExA(cls.ex_style, cls.name, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style,
                        scaled(r.left, scale_), scaled(r.top, scale_), scaled(r.width, scale_), height, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (child == nullptr) throw std::runtime_error("Cannot create the control " + std::string(entry->name));
    if (font_ != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Text boxes take text of any length.
    if (entry->kind == ControlKind::kTextBox) SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
    controls_[std::string(entry->name)] = child;
    if (focus_ == nullptr && takes_focus(entry->kind)) focus_ = child;
  }
}

void FormWindow::on_click(std::string_view button, std::function<void()> handler) {
  const ControlSpec& entry = kova::control(layout_, button);
  clicks_[kFirstControlId + static_cast<int>(&entry - layout_.controls.data())] = std::move(handler);
}

void FormWindow::show() {
  ShowWindow(window_, SW_SHOWNORMAL);
  take_focus();
}

void FormWindow::take_focus() {
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
  if (focus_ != nullptr) SetFocus(focus_);
}

std::string FormWindow::text(std::string_view name) const {
  HWND box = control(name);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(box, text.data(), static_cast<int>(text.size()))));
  return text;
}

void FormWindow::set_text(std::string_view name, const std::string& text) {
  SetWindowTextA(control(name), text.c_str());
}

bool FormWindow::is_form(HWND handle) {
  char name[32] = {};
  GetClassNameA(handle, name, sizeof name);
  return std::string_view(name) == kClassName || std::string_view(name) == kIconClassName;
}

bool FormWindow::press_focused_button(HWND form) {
  HWND focused = GetFocus();
  if (focused == nullptr || GetParent(focused) != form) return false;
  char name[16] = {};
  GetClassNameA(focused, name, sizeof name);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(focused, GWL_STYLE));
  if (lstrcmpiA(name, "BUTTON") != 0 || (style & BS_TYPEMASK) != BS_OWNERDRAW) return false;
  SendMessageA(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focused), BN_CLICKED), reinterpret_cast<LPARAM>(focused));
  return true;
}

LRESULT CALLBACK FormWindow::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return self != nullptr ? self->handle_message(message, w, l) : DefWindowProcA(window, message, w, l);
}

LRESULT FormWindow::handle_message(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) {
        if (const auto found = clicks_.find(LOWORD(w)); found != clicks_.end()) {
          // A copy: the handler may replace the handlers of this window.
          const std::function<void()> handler = found->second;
          handler();
          return 0;
        }
      }
      break;
    case WM_DRAWITEM:
      if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l); item->CtlType == ODT_BUTTON) {
        draw_button(*item);
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it when the window was last left.
      if (LOWORD(w) == WA_INACTIVE) {
        if (HWND focused = GetFocus(); focused != nullptr && IsChild(window_, focused)) focus_ = focused;
      } else if (focus_ != nullptr) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (close_handler_) close_handler_();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, w, l);
}

}  // namespace kova::win32
