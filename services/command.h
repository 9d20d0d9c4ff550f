#pragma once
// Starting another program from a command line, and waiting for it.
#include <windows.h>

#include <cstdint>
#include <utility>

#include "services/handle.h"

namespace services {

// The show state given to the started program's window: show modes 1..6 are hidden, normal,
// minimized, maximized, normal without activation and minimized; below 1 counts as 1 and above
// 6 as 6.
WORD show_state_for(std::int32_t show_mode);

struct CommandOptions {
  // Without wait_for: true waits until the program has ended, false waits at most a second for
  // it to become ready for input.
  bool wait = false;
  std::int32_t show_mode = 2;
  // When set, the program is created suspended, put into this job and only then resumed, so
  // that closing the job ends it together with every program it starts in turn.
  HANDLE job = nullptr;
  // When set, called in place of either wait above with the started program's process handle
  // (valid during the call only); returns true when the program has ended, false when it gave
  // up waiting.
  bool (*wait_for)(HANDLE process, void* context) = nullptr;
  void* context = nullptr;
  // When set, receives whether the program is known to have ended when run_command returns:
  // what wait_for returned, true after the plain wait, false after the wait for readiness or
  // when nothing was started.
  bool* ended = nullptr;
};

// Starts the command line as it is (program name first; the system finds the program the way it
// does for any command line) with the caller's environment and current directory, and no handles
// inherited. True when the program was started, whatever it then does.
bool run_command(const char* command_line, const CommandOptions& options);

// The plain form: waits without a time limit when `wait` is true.
bool run_command_line(const char* command_line, bool wait = false, std::int32_t show_mode = 2);

// A job whose programs all end when its last handle is closed.
class Job {
 public:
  Job() noexcept = default;
  // Empty when the system refuses the job or its kill-on-close limit.
  static Job create();

  HANDLE handle() const noexcept { return handle_.get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(handle_); }
  // Ends the programs in the job now (when this is the job's last handle).
  void close() noexcept { handle_.reset(); }

 private:
  explicit Job(KernelHandle handle) noexcept : handle_(std::move(handle)) {}

  KernelHandle handle_;
};

}  // namespace services
