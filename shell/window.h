#pragma once
// Windows built from templates: building, showing, loading (also as a modal dialog), closing
// and the hidden owner window.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "shell/process_state.h"

namespace shell {

// A window as the program names it: its template's identifier and its window element.
struct WindowRef {
  std::uint32_t window;
  std::uint32_t element;
};

void create_hidden_owner();
void destroy_hidden_owner();

// Builds and shows the first window; the fatal runtime error when it cannot.
void load_first_window(std::uint32_t window_id);

// Builds and shows a window; as a dialog it is modal and this returns when it has closed.
bool load_window(WindowRef window, const WindowRef* parent = nullptr, bool dialog = false);

WindowState* find_window_state(std::uint32_t window_id);
WindowState* window_state_of(HWND top_level);
bool any_window_open();
// Whether the window of that template is open now.
bool window_open(std::uint32_t window_id);

// The element index of one of the window's controls, or 0 when `control` is none of them.
std::size_t element_index_of(const WindowState& ws, HWND control);

}  // namespace shell
