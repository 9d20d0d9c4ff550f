#include "shell/window.h"

#include "shell/controls.h"
#include "shell/events.h"
#include "shell/fatal_error.h"
#include "shell/keyboard.h"
#include "shell/loop.h"

namespace shell {
namespace {

constexpr char kWindowClass[] = "IplWindow";
constexpr char kHiddenOwnerClass[] = "IplHiddenOwner";
constexpr UINT kActivateModal = WM_APP + 1;

DWORD window_style(const Element& w, bool popup) {
  DWORD style = (popup ? WS_POPUP : WS_OVERLAPPED) | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (w.sizable) style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  return style;
}

WindowState* modal_window() {
  const std::uint32_t id = state().current_modal;
  return id != 0 ? find_window_state(id) : nullptr;
}

bool disabled_by(const WindowState& modal, HWND window) {
  for (const auto& entry : modal.disabled_windows) {
    if (entry.first == window) return true;
  }
  return false;
}

// The modal window opened right after `ws` and still open. Every later one disabled `ws`; the
// one opened first among them is the one that disabled none of the others.
WindowState* next_modal(const WindowState& ws) {
  auto later = [&](const WindowState& other) {
    return &other != &ws && other.modal && other.live != nullptr && disabled_by(other, ws.live);
  };
  for (WindowState& candidate : state().windows) {
    if (!later(candidate)) continue;
    bool first = true;
    for (const WindowState& other : state().windows) {
      if (&other != &candidate && later(other) && disabled_by(candidate, other.live)) first = false;
    }
    if (first) return &candidate;
  }
  return nullptr;
}

// Gives the windows a modal window disabled their earlier state back. When a modal window opened
// after it is still open (the outer of nested dialogs closed first), those windows must stay
// disabled: that window noted them as disabled, so it takes over the earlier states instead and
// gives them back when it closes.
void end_modality(WindowState& ws) {
  WindowState* next = next_modal(ws);
  for (const auto& [window, was_enabled] : ws.disabled_windows) {
    bool handed_over = false;
    if (next != nullptr) {
      for (auto& entry : next->disabled_windows) {
        if (entry.first != window) continue;
        entry.second = was_enabled;
        handed_over = true;
      }
    }
    if (!handed_over && IsWindow(window)) EnableWindow(window, was_enabled ? TRUE : FALSE);
  }
  if (next != nullptr) std::erase_if(next->disabled_windows, [&](const auto& entry) { return entry.first == ws.live; });
  ws.disabled_windows.clear();
  ws.modal = false;
}

// A close request: the close button, the system menu, Alt+F4 or the Esc rule.
void close_request(WindowState& ws) {
  const std::uint32_t id = ws.tmpl.window_id;
  const EventOutcome outcome = raise_event(id, ws.tmpl.elements[0].id, event::can_close);
  if (ws.live == nullptr) return;
  if (outcome.handled && outcome.value && *outcome.value == 0) return;
  // Before the window goes, so that the system can hand the activation to a window enabled again.
  if (ws.modal) end_modality(ws);
  DestroyWindow(ws.live);
}

void forget(WindowState& ws) {
  ws.live = nullptr;
  ws.controls.clear();
  ws.being_written.clear();
  ws.mouse_pointers.clear();
  ws.last_focus = nullptr;
  ws.modal = false;
  ProcessState& s = state();
  if (s.current_modal == ws.tmpl.window_id) s.current_modal = 0;
  if (!any_window_open() && s.main_loop_started) PostQuitMessage(0);
}

void raise_focus_event_of_focused(const WindowState& ws) {
  const HWND focus = GetFocus();
  if (focus == nullptr) return;
  if (focus == ws.live) {
    raise_event(ws.tmpl.window_id, ws.tmpl.elements[0].id, event::got_focus);
    return;
  }
  const std::size_t index = element_index_of(ws, focus);
  if (index != 0 && raises_events(ws.tmpl.elements[index].kind)) {
    raise_event(ws.tmpl.window_id, ws.tmpl.elements[index].id, event::got_focus);
  }
}

void show_window(WindowState& ws) {
  static constexpr int show_commands[] = {SW_SHOW, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
  ShowWindow(ws.live, show_commands[static_cast<int>(ws.tmpl.elements[0].start)]);
  raise_focus_event_of_focused(ws);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* ws = static_cast<WindowState*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    ws->live = hwnd;
  }
  WindowState* ws = window_state_of(hwnd);
  if (ws == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const std::uint32_t window_id = ws->tmpl.window_id;
  switch (message) {
    case WM_COMMAND: {
      const auto control = reinterpret_cast<HWND>(lparam);
      const std::size_t index = control != nullptr ? element_index_of(*ws, control) : 0;
      if (index == 0) break;
      const Element& e = ws->tmpl.elements[index];
      const WORD code = HIWORD(wparam);
      if (e.kind == Kind::button && code == BN_CLICKED) {
        raise_event(window_id, e.id, event::clicked);
      } else if (e.kind == Kind::edit && code == EN_CHANGE && !ws->being_written[index]) {
        raise_event(window_id, e.id, event::content_changed);
      }
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return control_colours(*ws, reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam));
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (element_index_of(*ws, focus) != 0) ws->last_focus = focus;
      } else if (const WindowState* modal = modal_window(); modal != nullptr && modal != ws) {
        for (const auto& entry : modal->disabled_windows) {
          if (entry.first == hwnd) PostMessageA(hwnd, kActivateModal, 0, 0);
        }
      }
      break;
    case kActivateModal:
      if (const WindowState* modal = modal_window(); modal != nullptr && modal->live != nullptr) {
        SetForegroundWindow(modal->live);
        SetActiveWindow(modal->live);
      }
      return 0;
    case WM_SETFOCUS:
      raise_event(window_id, ws->tmpl.elements[0].id, event::got_focus);
      if (ws->live == hwnd) focus_initial_control(*ws);
      return 0;
    case WM_SETCURSOR: {
      // A pointer set on the window covers its controls too, unless a control has its own.
      const auto over = reinterpret_cast<HWND>(wparam);
      std::int32_t pointer = ws->mouse_pointers.empty() ? 0 : ws->mouse_pointers[0];
      const std::size_t index = element_index_of(*ws, over);
      if (index != 0 && ws->mouse_pointers[index] != 0) pointer = ws->mouse_pointers[index];
      if (pointer != 0 && LOWORD(lparam) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(pointer)));
        return TRUE;
      }
      // Asked on behalf of a control: the control shows its own.
      if (over != hwnd) return FALSE;
      break;
    }
    case WM_CLOSE:
      close_request(*ws);
      return 0;
    case WM_QUERYENDSESSION: {
      const EventOutcome outcome = raise_event(window_id, ws->tmpl.elements[0].id, event::can_close);
      return outcome.handled && outcome.value && *outcome.value == 0 ? FALSE : TRUE;
    }
    case WM_DESTROY:
      raise_event(window_id, ws->tmpl.elements[0].id, event::destroying);
      if (GetMenu(hwnd) != nullptr) SetMenu(hwnd, nullptr);
      break;
    case WM_NCDESTROY:
      forget(*ws);
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

bool create_window_and_controls(WindowState& ws, bool dialog, HWND parent) {
  const Element& w = ws.tmpl.elements[0];
  int left = w.left;
  int top = w.top;
  if (w.placement == Placement::centre_screen) {
    left = (GetSystemMetrics(SM_CXSCREEN) - w.width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - w.height) / 2;
  }
  const bool popup = parent != nullptr;
  HWND owner = popup ? parent : (dialog || !w.taskbar ? state().hidden_owner : nullptr);
  const DWORD ex_style = w.topmost ? WS_EX_TOPMOST : 0;
  HWND hwnd = CreateWindowExA(ex_style, kWindowClass, w.text.c_str(), window_style(w, popup), left, top, w.width,
                              w.height, owner, nullptr, state().instance, &ws);
  if (hwnd == nullptr) {
    ws.live = nullptr;
    return false;
  }
  if (!create_controls(ws)) {
    DestroyWindow(hwnd);
    return false;
  }
  for (std::size_t i = 1; i < ws.controls.size(); ++i) {
    if (ws.tmpl.elements[i].visible) ShowWindow(ws.controls[i], SW_SHOWNA);
  }
  return true;
}

bool build_window(WindowState& ws, bool dialog, HWND parent) {
  if (ws.live != nullptr) {
    if (IsIconic(ws.live)) {
      ShowWindow(ws.live, SW_RESTORE);
    } else {
      SetActiveWindow(ws.live);
    }
    return true;
  }
  if (dialog) parent = nullptr;
  dispatch_waiting_messages();
  bool built = false;
  {
    SuppressEvents building;
    built = create_window_and_controls(ws, dialog, parent);
    if (built) dispatch_waiting_messages();
  }
  if (!built) return false;
  const std::uint32_t id = ws.tmpl.window_id;
  const std::uint32_t element = ws.tmpl.elements[0].id;
  for (const std::int32_t e : {event::created, event::after_created_1, event::after_created_2}) {
    raise_event(id, element, e);
    if (ws.live == nullptr) return true;
  }
  if (ws.tmpl.elements[0].visible) show_window(ws);
  if (dialog) {
    ws.modal = true;
    for (WindowState& other : state().windows) {
      if (&other == &ws || other.live == nullptr || GetParent(other.live) != nullptr) continue;
      ws.disabled_windows.emplace_back(other.live, IsWindowEnabled(other.live) != FALSE);
      EnableWindow(other.live, FALSE);
    }
  }
  const HWND noted = GetFocus();
  if (GetFocus() != noted) SetFocus(noted);
  ws.show_pending = true;
  return true;
}

}  // namespace

void create_hidden_owner() {
  ProcessState& s = state();
  if (s.hidden_owner != nullptr) return;
  WNDCLASSEXA owner_class{};
  owner_class.cbSize = sizeof owner_class;
  owner_class.lpfnWndProc = DefWindowProcA;
  owner_class.hInstance = s.instance;
  owner_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */);
  owner_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  owner_class.lpszClassName = kHiddenOwnerClass;
  RegisterClassExA(&owner_class);

  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_proc;
  window_class.hInstance = s.instance;
  window_class.hIcon = static_cast<HICON>(LoadImageA(s.instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  window_class.hIconSm = static_cast<HICON>(LoadImageA(
      s.instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = owner_class.hCursor;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = kWindowClass;
  RegisterClassExA(&window_class);
  register_control_classes(s.instance);

  s.hidden_owner =
      CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", 0, 0, 0, 0, 0, nullptr, nullptr, s.instance, nullptr);
}

void destroy_hidden_owner() {
  ProcessState& s = state();
  if (s.hidden_owner == nullptr) return;
  if (IsWindow(s.hidden_owner)) DestroyWindow(s.hidden_owner);
  s.hidden_owner = nullptr;
}

void load_first_window(std::uint32_t window_id) {
  WindowState* ws = find_window_state(window_id);
  if (ws == nullptr || !build_window(*ws, false, nullptr)) raise_fatal_error("载入启动窗口失败", 0);
}

bool load_window(WindowRef window, const WindowRef* parent, bool dialog) {
  HWND parent_window = nullptr;
  if (parent != nullptr) {
    WindowState* p = find_window_state(parent->window);
    if (p == nullptr || p->live == nullptr || p->tmpl.elements[0].id != parent->element) return false;
    parent_window = p->live;
  }
  WindowState* ws = find_window_state(window.window);
  if (ws == nullptr || ws->tmpl.elements[0].id != window.element) return false;
  if (!build_window(*ws, dialog, parent_window)) return false;
  if (ws->tmpl.elements[0].visible && ws->show_pending) {
    ws->show_pending = false;
    if (ws->modal && ws->live != nullptr) {
      HWND owner = GetWindow(ws->live, GW_OWNER);
      if (window_state_of(owner) != nullptr && (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        SetWindowPos(ws->live, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
    if (ws->modal) {
      ProcessState& s = state();
      const std::uint32_t outer = s.current_modal;
      s.current_modal = window.window;
      run_modal_loop();
      // The outer modal window may have been closed meanwhile; its own loop then ends at once.
      s.current_modal = window_open(outer) ? outer : 0;
    }
  }
  return true;
}

WindowState* find_window_state(std::uint32_t window_id) {
  for (WindowState& ws : state().windows) {
    if (ws.tmpl.window_id == window_id) return &ws;
  }
  return nullptr;
}

WindowState* window_state_of(HWND top_level) {
  if (top_level == nullptr) return nullptr;
  for (WindowState& ws : state().windows) {
    if (ws.live == top_level) return &ws;
  }
  return nullptr;
}

bool window_open(std::uint32_t window_id) {
  const WindowState* ws = find_window_state(window_id);
  return ws != nullptr && ws->live != nullptr;
}

bool any_window_open() {
  for (const WindowState& ws : state().windows) {
    if (ws.live != nullptr) return true;
  }
  return false;
}

std::size_t element_index_of(const WindowState& ws, HWND control) {
  if (control == nullptr) return 0;
  for (std::size_t i = 1; i < ws.controls.size(); ++i) {
    if (ws.controls[i] == control) return i;
  }
  return 0;
}

}  // namespace shell
