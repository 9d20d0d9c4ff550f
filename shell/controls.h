#pragma once
// The controls of a window: creating them from their elements, and the control behaviour that
// the system's own controls lack (label painting, focus events, notifications from containers).
#include <windows.h>

#include "shell/process_state.h"

namespace shell {

void register_control_classes(HINSTANCE instance);

// Creates every control of the window, last element first, invisible; then moves controls into
// their containers and stacks siblings in template order. False when one cannot be created.
bool create_controls(WindowState& ws);

// The colours of a control, answered to the system's colour requests.
LRESULT control_colours(const WindowState& ws, HWND control, HDC dc);

}  // namespace shell
