#include "shell/keyboard.h"

#include <algorithm>
#include <vector>

#include "shell/events.h"
#include "shell/window.h"

namespace shell {
namespace {

constexpr std::uint32_t kCtrl = 0x2000;
constexpr std::uint32_t kShift = 0x4000;
constexpr std::uint32_t kAlt = 0x8000;

bool takes_focus(const WindowState& ws, std::size_t index) {
  const HWND control = ws.controls[index];
  return ws.tmpl.elements[index].tab_stop && IsWindowVisible(control) && IsWindowEnabled(control);
}

// Tab stops ordered by tab-order value, equal values in creation order (last element first).
std::vector<std::size_t> tab_cycle(const WindowState& ws) {
  std::vector<std::size_t> cycle;
  for (std::size_t i = ws.controls.size(); i-- > 1;) {
    if (takes_focus(ws, i)) cycle.push_back(i);
  }
  // An insertion sort: stable, and a handful of controls needs nothing bigger.
  for (std::size_t i = 1; i < cycle.size(); ++i) {
    const std::size_t moving = cycle[i];
    std::size_t j = i;
    for (; j > 0 && ws.tmpl.elements[cycle[j - 1]].tab_order > ws.tmpl.elements[moving].tab_order; --j) {
      cycle[j] = cycle[j - 1];
    }
    cycle[j] = moving;
  }
  return cycle;
}

void focus_control(const WindowState& ws, std::size_t index) {
  const HWND control = ws.controls[index];
  SetFocus(control);
  if (ws.tmpl.elements[index].kind == Kind::edit) SendMessageA(control, EM_SETSEL, 0, -1);
}

void move_focus(const WindowState& ws, bool forward) {
  const std::vector<std::size_t> cycle = tab_cycle(ws);
  if (cycle.empty()) return;
  const std::size_t current = element_index_of(ws, GetFocus());
  const auto at = std::find(cycle.begin(), cycle.end(), current);
  std::size_t next = 0;
  if (at == cycle.end()) {
    next = forward ? 0 : cycle.size() - 1;
  } else {
    const auto position = static_cast<std::size_t>(at - cycle.begin());
    next = forward ? (position + 1) % cycle.size() : (position + cycle.size() - 1) % cycle.size();
  }
  focus_control(ws, cycle[next]);
}

void click(const WindowState& ws, std::size_t index) {
  raise_event(ws.tmpl.window_id, ws.tmpl.elements[index].id, event::clicked);
}

bool is_default_button(const WindowState& ws, std::size_t index) {
  const Element& e = ws.tmpl.elements[index];
  return e.kind == Kind::button && e.default_button && IsWindowEnabled(ws.controls[index]);
}

void enter_rule(const WindowState& ws, std::size_t focused) {
  if (focused != 0 && is_default_button(ws, focused)) {
    click(ws, focused);
  } else if (ws.tmpl.elements[0].enter_moves_focus) {
    move_focus(ws, true);
  } else {
    for (std::size_t i = 1; i < ws.controls.size(); ++i) {
      if (is_default_button(ws, i)) {
        click(ws, i);
        return;
      }
    }
  }
}

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool caption_has_access_key(const std::string& caption, char key) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    const auto byte = static_cast<unsigned char>(caption[i]);
    if (byte >= 0x81) {
      ++i;  // a double-byte character is never a marker
    } else if (caption[i] == '&') {
      if (caption[i + 1] == '&') {
        ++i;
      } else if (ascii_upper(caption[i + 1]) == key) {
        return true;
      }
    }
  }
  return false;
}

bool access_key_rule(const WindowState& ws, char key) {
  for (std::size_t i = 1; i < ws.controls.size(); ++i) {
    const Element& e = ws.tmpl.elements[i];
    const HWND control = ws.controls[i];
    if (!IsWindowVisible(control) || !IsWindowEnabled(control) || !caption_has_access_key(e.text, key)) continue;
    if (e.kind == Kind::button) {
      click(ws, i);
    } else if (e.kind == Kind::label) {
      // A label hands the focus to the control created after it that takes the focus.
      const std::vector<std::size_t> cycle = tab_cycle(ws);
      for (std::size_t j = i; j-- > 1;) {
        if (std::find(cycle.begin(), cycle.end(), j) != cycle.end()) {
          focus_control(ws, j);
          break;
        }
      }
    } else {
      continue;
    }
    return true;
  }
  return false;
}

}  // namespace

std::uint32_t key_value(WPARAM virtual_key, bool ctrl, bool shift, bool alt) {
  auto key = static_cast<std::uint32_t>(virtual_key & 0xFF);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
    key = '0' + (key - VK_NUMPAD0);
  } else if (key == VK_SUBTRACT) {
    key = VK_OEM_MINUS;
  } else if (key == VK_DECIMAL) {
    key = VK_OEM_PERIOD;
  } else if (key == VK_DIVIDE) {
    key = VK_OEM_2;
  }
  return key | (ctrl ? kCtrl : 0) | (shift ? kShift : 0) | (alt ? kAlt : 0);
}

bool handle_keyboard(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  WindowState* ws = window_state_of(GetAncestor(msg.hwnd, GA_ROOT));
  if (ws == nullptr) return false;
  const bool alt = (msg.lParam & (1 << 29)) != 0 || GetKeyState(VK_MENU) < 0;
  const std::uint32_t key = key_value(msg.wParam, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0, alt);
  const std::size_t focused = element_index_of(*ws, GetFocus());
  if (focused != 0) {
    const Element& e = ws->tmpl.elements[focused];
    if (key == VK_RETURN && e.kind == Kind::edit && e.multiline && !e.read_only) return false;
  }
  switch (key) {
    case VK_TAB:
      move_focus(*ws, true);
      return true;
    case VK_TAB | kShift:
      move_focus(*ws, false);
      return true;
    case VK_RETURN:
      enter_rule(*ws, focused);
      return true;
    case VK_ESCAPE:
      if (!ws->tmpl.elements[0].esc_closes) return false;
      SendMessageA(ws->live, WM_CLOSE, 0, 0);
      return true;
    default:
      break;
  }
  const std::uint32_t base = key & 0xFF;
  const bool letter_or_digit = (base >= 'A' && base <= 'Z') || (base >= '0' && base <= '9');
  if ((key & kAlt) != 0 && (key & kCtrl) == 0 && letter_or_digit) {
    return access_key_rule(*ws, static_cast<char>(base));
  }
  return false;
}

std::uint32_t focused_element(std::uint32_t window_id) {
  const WindowState* ws = find_window_state(window_id);
  if (ws == nullptr || ws->live == nullptr) return 0;
  const HWND focus = GetFocus();
  if (focus == ws->live) return ws->tmpl.elements[0].id;
  const std::size_t index = element_index_of(*ws, focus);
  return index != 0 ? ws->tmpl.elements[index].id : 0;
}

void focus_element(std::uint32_t window_id, std::uint32_t element_id) {
  const WindowState* ws = find_window_state(window_id);
  if (ws == nullptr || ws->live == nullptr) return;
  for (std::size_t i = 0; i < ws->controls.size(); ++i) {
    if (ws->tmpl.elements[i].id == element_id) SetFocus(ws->controls[i]);
  }
}

void focus_initial_control(WindowState& ws) {
  if (ws.last_focus != nullptr) {
    const std::size_t index = element_index_of(ws, ws.last_focus);
    if (index != 0 && IsWindowVisible(ws.last_focus) && IsWindowEnabled(ws.last_focus)) {
      SetFocus(ws.last_focus);
      return;
    }
  }
  const std::vector<std::size_t> cycle = tab_cycle(ws);
  if (!cycle.empty()) SetFocus(ws.controls[cycle.front()]);
}

}  // namespace shell
