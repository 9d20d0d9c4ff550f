#include "shell/process.h"

#include <windows.h>

#include <ole2.h>

#include <cstring>

#include "shell/fatal_error.h"
#include "shell/loop.h"
#include "shell/open_files.h"
#include "shell/process_state.h"
#include "shell/template_reader.h"
#include "shell/window.h"

namespace shell {
namespace {

void reset_fpu() {
#if defined(__i386__) || defined(__x86_64__)
  __asm__ __volatile__("fninit");
#endif
}

void read_window_templates(const Application& app) {
  HRSRC found = FindResourceA(nullptr, app.template_resource, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) raise_fatal_error("载入窗口模板数据段出错!", 0);
  const std::string_view data(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
  ReadResult read = read_templates(data, app.handlers);
  if (read.error) raise_fatal_error("载入窗口模板数据段出错!", 0);
  ProcessState& s = state();
  s.windows.clear();
  s.windows.reserve(read.templates.size());
  for (Template& t : read.templates) {
    s.windows.emplace_back();
    s.windows.back().tmpl = std::move(t);
  }
}

}  // namespace

std::string_view executable_folder_of(std::string_view path) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte == '\\') {
      last = i;
    } else if (IsDBCSLeadByte(byte) && i + 1 < path.size()) {
      ++i;
    }
  }
  return last == std::string_view::npos ? std::string_view{} : path.substr(0, last);
}

void initialise_process_state(const Application& app) {
  ProcessState& s = state();
  s.heap = GetProcessHeap();
  s.instance = GetModuleHandleA(nullptr);
  if (!s.ole_initialised) {
    OleInitialize(nullptr);
    s.ole_initialised = true;
  }
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string_view folder = executable_folder_of(std::string_view(path, length < sizeof path ? length : 0));
  std::memcpy(s.executable_folder, folder.data(), folder.size());
  s.executable_folder[folder.size()] = '\0';
  // With a separator after it: "C:" alone names the current directory of drive C, not its root.
  char directory[MAX_PATH + 1] = {};
  std::memcpy(directory, folder.data(), folder.size());
  directory[folder.size()] = '\\';
  if (!folder.empty()) SetCurrentDirectoryA(directory);
  create_hidden_owner();
  read_window_templates(app);
}

void register_end_routine(void (*routine)()) { state().end_routine = routine; }

void cleanup(std::int32_t /*exit_code: only End program passes it on*/) {
  ProcessState& s = state();
  ++s.event_suppression;
  s.cleanup_running = true;
  s.windows.clear();
  if (s.end_routine != nullptr) {
    void (*routine)() = s.end_routine;
    s.end_routine = nullptr;
    routine();
  }
  destroy_hidden_owner();
  close_all_open_files();
  if (s.ole_initialised) {
    OleUninitialize();
    s.ole_initialised = false;
  }
}

void end_program(std::int32_t exit_code) {
  cleanup(exit_code);
  ExitProcess(static_cast<UINT>(exit_code));
}

int run_application(const Application& app) {
  // The entry routine, in its fixed order.
  initialise_process_state(app);
  reset_fpu();
  if (app.initialise != nullptr) app.initialise();
  register_end_routine(app.end);
  load_first_window(app.first_window);
  const int quit_value = run_main_loop();
  // The normal end.
  cleanup(0);
  return quit_value;
}

}  // namespace shell
