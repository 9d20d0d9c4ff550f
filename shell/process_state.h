#pragma once
// The one process-wide state of the program, owned by the shell.
#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "shell/template.h"

namespace shell {

// A template together with its live window, when it is open.
struct WindowState {
  Template tmpl;
  HWND live = nullptr;
  std::vector<HWND> controls;                // parallel to tmpl.elements; [0] is the window itself
  std::vector<std::uint8_t> being_written;   // per element: a content write is replacing its text
  std::vector<std::int32_t> mouse_pointers;  // per element: a system cursor, 0 for the class's own
  bool modal = false;
  std::vector<std::pair<HWND, bool>> disabled_windows;  // (window, enabled before)
  bool show_pending = false;
  HWND last_focus = nullptr;  // the control that had the focus when the window was deactivated
};

struct OpenFileRecord {
  std::int32_t number;
  HANDLE handle;
};

struct EventSource {
  std::uint32_t window = 0;
  std::uint32_t element = 0;
};

struct ProcessState {
  HANDLE heap = nullptr;
  bool ole_initialised = false;
  char executable_folder[MAX_PATH] = {};
  HWND hidden_owner = nullptr;
  std::vector<WindowState> windows;
  void (*end_routine)() = nullptr;
  bool cleanup_running = false;
  std::int32_t event_suppression = 0;
  std::vector<OpenFileRecord> open_files;
  std::int32_t last_file_number = 0;

  std::uint32_t current_modal = 0;
  bool main_loop_started = false;
  EventSource event_source;
  HINSTANCE instance = nullptr;

  ProcessState() = default;
  ProcessState(const ProcessState&) = delete;
  ProcessState& operator=(const ProcessState&) = delete;
};

ProcessState& state();

}  // namespace shell
