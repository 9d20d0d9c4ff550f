#include "shell/content.h"

#include <windows.h>

#include "shell/events.h"
#include "shell/fatal_error.h"
#include "shell/window.h"

namespace shell {
namespace {

struct Target {
  WindowState* ws;
  std::size_t index;
};

// The checks shared by reading and writing: the window must have a template, the element must
// belong to it, and for the kind's own properties the window must be open.
Target find_target(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property) {
  WindowState* ws = find_window_state(window_id);
  if (ws == nullptr) raise_fatal_error("未载入欲访问窗口组件所在的窗口", 0);
  std::size_t index = ws->tmpl.elements.size();
  for (std::size_t i = 0; i < ws->tmpl.elements.size(); ++i) {
    if (ws->tmpl.elements[i].id == element_id) index = i;
  }
  if (index == ws->tmpl.elements.size()) raise_fatal_error("未找到欲访问的窗口组件", 0);
  if (property >= property::content && (ws->live == nullptr || index >= ws->controls.size())) {
    raise_fatal_error("指定窗口尚未载入", 0);
  }
  return Target{ws, index};
}

}  // namespace

Text read_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property, std::int32_t) {
  const Target t = find_target(window_id, element_id, property);
  if (property != property::content) return Text{};
  const HWND control = t.ws->controls[t.index];
  const int length = GetWindowTextLengthA(control);
  if (length <= 0) return Text{};
  Text text{static_cast<char*>(allocate(length + 1))};
  const int got = GetWindowTextA(control, text.get(), length + 1);
  if (got <= 0) return Text{};
  text.get()[got] = '\0';
  return text;
}

void write_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property, const char* value,
                    std::int32_t) {
  const Target t = find_target(window_id, element_id, property);
  if (property != property::content) return;
  WindowState& ws = *t.ws;
  ws.being_written[t.index] = true;
  const HWND control = ws.controls[t.index];
  // A box with scroll bars draws them again at every step of replacing its text (a large part of
  // a query's time under Wine); hidden meanwhile, it is drawn once. Not while it has the focus,
  // which hiding would take away.
  const bool hide = IsWindowVisible(control) && GetFocus() != control &&
                    (GetWindowLongA(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
  if (hide) ShowWindow(control, SW_HIDE);
  SetWindowTextA(control, value != nullptr ? value : "");
  if (hide && IsWindow(control)) ShowWindow(control, SW_SHOWNA);
  // The write may have closed the window through a handler: look again before touching it.
  if (ws.live != nullptr && t.index < ws.being_written.size()) ws.being_written[t.index] = false;
  if (ws.live != nullptr && ws.tmpl.elements[t.index].kind == Kind::edit) {
    raise_event(window_id, element_id, event::content_changed);
  }
}

std::int32_t read_number_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property) {
  const Target t = find_target(window_id, element_id, property);
  const HWND hwnd = t.ws->live != nullptr && t.index < t.ws->controls.size() ? t.ws->controls[t.index] : nullptr;
  switch (property) {
    case property::visible:
      return hwnd != nullptr ? IsWindowVisible(hwnd) != FALSE : t.ws->tmpl.elements[t.index].visible;
    case property::disabled:
      return hwnd != nullptr ? IsWindowEnabled(hwnd) == FALSE : t.ws->tmpl.elements[t.index].disabled;
    case property::mouse_pointer:
      return t.ws->mouse_pointers.empty() ? 0 : t.ws->mouse_pointers[t.index];
    default:
      return 0;
  }
}

void write_number_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property,
                           std::int32_t value) {
  const Target t = find_target(window_id, element_id, property);
  WindowState& ws = *t.ws;
  const HWND hwnd = ws.live != nullptr && t.index < ws.controls.size() ? ws.controls[t.index] : nullptr;
  if (hwnd == nullptr) return;
  switch (property) {
    case property::visible:
      ShowWindow(hwnd, value != 0 ? SW_SHOWNA : SW_HIDE);
      break;
    case property::disabled:
      EnableWindow(hwnd, value != 0 ? FALSE : TRUE);
      break;
    case property::mouse_pointer: {
      ws.mouse_pointers[t.index] = value;
      // Shown at once when the pointer is over the element, not only after it next moves.
      POINT at;
      GetCursorPos(&at);
      if (WindowFromPoint(at) == hwnd || IsChild(hwnd, WindowFromPoint(at))) {
        SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace shell
