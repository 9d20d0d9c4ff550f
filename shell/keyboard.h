#pragma once
// The keyboard rules inside a window: focus movement, Enter, Esc and access keys, taken from the
// template's settings. Every message of an open window passes here before it is dispatched.
#include <windows.h>

#include <cstdint>

#include "shell/process_state.h"

namespace shell {

// The key value of a key-down message: the virtual key, with the keypad's digits, minus, full stop
// and slash taken as the main keyboard's, plus 0x2000 for Ctrl, 0x4000 for Shift and 0x8000 for
// Alt. Keypad plus and times stay apart: on the main keyboard they need Shift.
std::uint32_t key_value(WPARAM virtual_key, bool ctrl, bool shift, bool alt);

// True when a rule consumed the message.
bool handle_keyboard(const MSG& msg);

// The element that has the keyboard focus in an open window, or 0 when none of its elements has.
std::uint32_t focused_element(std::uint32_t window_id);
// Gives the keyboard focus to an element of an open window.
void focus_element(std::uint32_t window_id, std::uint32_t element_id);

// Gives the focus to the control that last had it, or else to the first tab stop.
void focus_initial_control(WindowState& ws);

}  // namespace shell
