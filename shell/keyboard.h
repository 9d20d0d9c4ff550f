#pragma once
// The keyboard rules inside a window: focus movement, Enter, Esc and access keys, taken from the
// template's settings. Every message of an open window passes here before it is dispatched.
#include <windows.h>

#include <cstdint>

#include "shell/process_state.h"

namespace shell {

// The key value of a key-down message: the virtual key, keypad digits and signs taken as the
// main keys, plus 0x2000 for Ctrl, 0x4000 for Shift and 0x8000 for Alt.
std::uint32_t key_value(WPARAM virtual_key, bool ctrl, bool shift, bool alt);

// True when a rule consumed the message.
bool handle_keyboard(const MSG& msg);

// Gives the focus to the control that last had it, or else to the first tab stop.
void focus_initial_control(WindowState& ws);

}  // namespace shell
