#include "shell/controls.h"

#include "shell/events.h"
#include "shell/window.h"

namespace shell {
namespace {

constexpr char kLabelClass[] = "IplLabel";
constexpr LONG kLabelWordWrap = 0x0001;  // a style bit of the label class

const Element* element_of(HWND control, WindowState** owner = nullptr) {
  WindowState* ws = window_state_of(GetAncestor(control, GA_ROOT));
  if (ws == nullptr) return nullptr;
  const std::size_t index = element_index_of(*ws, control);
  if (index == 0) return nullptr;
  if (owner != nullptr) *owner = ws;
  return &ws->tmpl.elements[index];
}

COLORREF colour_value(const Colour& c) { return c.system_face ? GetSysColor(COLOR_BTNFACE) : c.rgb; }

HBRUSH colour_brush(HDC dc, const Colour& c) {
  if (c.system_face) return GetSysColorBrush(COLOR_BTNFACE);
  SetDCBrushColor(dc, c.rgb);
  return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

LRESULT CALLBACK label_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrA(hwnd, 0, static_cast<LONG_PTR>(wparam));
      if (LOWORD(lparam) != 0) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(hwnd, 0);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole client area itself
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      const Element* e = element_of(hwnd);
      const Colour back = e != nullptr ? e->back : Colour{};
      const Colour fore = e != nullptr ? e->fore : Colour{false, 0};
      FillRect(dc, &client, colour_brush(dc, back));
      char text[1024];
      const int length = GetWindowTextA(hwnd, text, sizeof text);
      auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, 0));
      HGDIOBJ old_font = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, colour_value(fore));
      const bool wrap = (GetWindowLongA(hwnd, GWL_STYLE) & kLabelWordWrap) != 0;
      UINT flags = DT_LEFT | DT_VCENTER | DT_NOCLIP | (wrap ? DT_WORDBREAK : DT_SINGLELINE);
      DrawTextA(dc, text, length, &client, flags);
      SelectObject(dc, old_font);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

// Added to the system's controls: focus events for buttons and edit boxes, and containers
// passing their children's notifications up to the window that handles them.
LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND:
      // A group box paints only its frame; its inside would keep whatever was there before.
      if (const Element* e = element_of(hwnd); e != nullptr && e->kind == Kind::group) {
        RECT client;
        GetClientRect(hwnd, &client);
        const auto dc = reinterpret_cast<HDC>(wparam);
        FillRect(dc, &client, colour_brush(dc, e->back));
        return 1;
      }
      break;
    case WM_SETCURSOR:
      // A pointer set on the window (a busy one, say) covers controls that would show their own.
      if (SendMessageA(GetAncestor(hwnd, GA_ROOT), WM_SETCURSOR, wparam, lparam) != FALSE) return TRUE;
      break;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (lparam != 0) return SendMessageA(GetAncestor(hwnd, GA_ROOT), message, wparam, lparam);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CallWindowProcA(original, hwnd, message, wparam, lparam);
      WindowState* ws = nullptr;
      const Element* e = element_of(hwnd, &ws);
      if (e != nullptr && raises_events(e->kind)) {
        raise_event(ws->tmpl.window_id, e->id, message == WM_SETFOCUS ? event::got_focus : event::lost_focus);
      }
      return result;
    }
    default:
      break;
  }
  return CallWindowProcA(original, hwnd, message, wparam, lparam);
}

struct ControlShape {
  const char* class_name;
  DWORD style;
  DWORD ex_style;
};

ControlShape shape_of(const Element& e) {
  DWORD style = WS_CHILD;
  if (e.disabled) style |= WS_DISABLED;
  if (e.tab_stop) style |= WS_TABSTOP;
  switch (e.kind) {
    case Kind::edit: {
      style |= ES_LEFT;
      if (e.multiline) {
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      } else {
        style |= ES_AUTOHSCROLL;
      }
      if (e.read_only) style |= ES_READONLY;
      if (e.scroll_bars == ScrollBars::vertical || e.scroll_bars == ScrollBars::both) style |= WS_VSCROLL;
      if (e.scroll_bars == ScrollBars::horizontal || e.scroll_bars == ScrollBars::both) style |= WS_HSCROLL;
      return {"EDIT", style, e.border == Border::sunken ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0};
    }
    case Kind::button:
      style |= (e.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_CENTER | BS_VCENTER | BS_MULTILINE;
      return {"BUTTON", style, 0};
    case Kind::group:
      return {"BUTTON", style | BS_GROUPBOX | BS_LEFT, 0};
    case Kind::label:
      return {kLabelClass, style | (e.word_wrap ? kLabelWordWrap : 0), 0};
    case Kind::window:
      break;
  }
  return {nullptr, 0, 0};
}

// A single-line edit box is never shorter than one line of its font, measured on a double-byte
// ideograph, plus the 3-D edges.
int edit_minimum_height(HWND edit, HFONT font) {
  HDC dc = GetDC(edit);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32A(dc, "汉", 2, &extent);
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  return extent.cy + 2 * GetSystemMetrics(SM_CYEDGE);
}

}  // namespace

void register_control_classes(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = label_proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  wc.lpszClassName = kLabelClass;
  RegisterClassExA(&wc);
}

bool create_controls(WindowState& ws) {
  const auto& elements = ws.tmpl.elements;
  const std::size_t count = elements.size();
  ws.controls.assign(count, nullptr);
  ws.being_written.assign(count, false);
  ws.mouse_pointers.assign(count, 0);
  ws.controls[0] = ws.live;
  auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (std::size_t i = count - 1; i >= 1; --i) {
    const Element& e = elements[i];
    const ControlShape shape = shape_of(e);
    if (shape.class_name == nullptr) return false;
    HWND control =
        CreateWindowExA(shape.ex_style, shape.class_name, e.text.c_str(), shape.style, e.left, e.top, e.width, e.height,
                        ws.live, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(e.id)), state().instance, nullptr);
    if (control == nullptr) return false;
    ws.controls[i] = control;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (e.kind == Kind::edit) {
      SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(e.max_length), 0);
      if (!e.multiline) {
        const int minimum = edit_minimum_height(control, font);
        if (e.height < minimum) SetWindowPos(control, nullptr, 0, 0, e.width, minimum, SWP_NOMOVE | SWP_NOZORDER);
      }
    }
    if (e.kind != Kind::label) {
      WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
      SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(original));
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&control_proc));
    }
  }
  for (std::size_t i = 1; i < count; ++i) {
    const Element& e = elements[i];
    if (e.parent == 0) continue;
    for (std::size_t j = 1; j < count; ++j) {
      if (elements[j].id != e.parent) continue;
      SetParent(ws.controls[i], ws.controls[j]);
      SetWindowPos(ws.controls[i], nullptr, e.left, e.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // Each control sinks below the ones before it: the first element ends on top of its siblings.
  for (std::size_t i = 1; i < count; ++i) {
    SetWindowPos(ws.controls[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return true;
}

LRESULT control_colours(const WindowState& ws, HWND control, HDC dc) {
  const std::size_t index = element_index_of(ws, control);
  const Element& e = ws.tmpl.elements[index];
  const Colour fore = index != 0 ? e.fore : Colour{false, 0};
  const Colour back = index != 0 ? e.back : Colour{};
  SetTextColor(dc, colour_value(fore));
  SetBkColor(dc, colour_value(back));
  return reinterpret_cast<LRESULT>(colour_brush(dc, back));
}

}  // namespace shell
