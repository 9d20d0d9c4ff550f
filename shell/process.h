#pragma once
// The life of the process: start-up, the entry routine, the clean-up and the end.
#include <cstdint>
#include <span>
#include <string_view>

#include "shell/template.h"

namespace shell {

// What the program hands the shell: its handlers, its template data and its own routines.
struct Application {
  std::span<const HandlerEntry> handlers;
  const char* template_resource;  // name of the RCDATA resource holding the templates
  std::uint32_t first_window;
  void (*initialise)();
  void (*end)();
};

// The application start step: runs the entry routine, then the normal end. Returns the value
// of the quit message that ended the main loop, the process's exit code.
int run_application(const Application& app);

void initialise_process_state(const Application& app);
void register_end_routine(void (*routine)());
void cleanup(std::int32_t exit_code);
[[noreturn]] void end_program(std::int32_t exit_code);

// The folder of the program's file: the path up to its last backslash, double-byte characters
// walked whole. No backslash: empty.
std::string_view executable_folder_of(std::string_view module_path);

}  // namespace shell
