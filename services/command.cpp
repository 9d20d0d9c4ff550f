#include "services/command.h"

#include <algorithm>

#include "services/text.h"
#include "shell/memory.h"

namespace services {
namespace {

#if !defined(_WIN64)
static_assert(sizeof(STARTUPINFOA) == 68, "the start-up information of 32-bit Windows is 68 bytes");
#endif

constexpr WORD kShowStates[] = {SW_HIDE,          SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};

bool wait_for_end(const ProcessInformation& started, const CommandOptions& options) {
  if (options.wait_for != nullptr) return options.wait_for(started.process(), options.context);
  if (options.wait) return WaitForSingleObject(started.process(), INFINITE) == WAIT_OBJECT_0;
  // A console program has no input to become ready for, and the call then fails at once; either
  // way the program goes on running on its own.
  WaitForInputIdle(started.process(), 1000);
  return false;
}

}  // namespace

WORD show_state_for(std::int32_t show_mode) { return kShowStates[std::clamp(show_mode, 1, 6) - 1]; }

bool run_command(const char* command_line, const CommandOptions& options) {
  if (options.ended != nullptr) *options.ended = false;
  const std::int32_t length = text_length(command_line);
  if (length == 0) return false;
  // CreateProcessA may write into the command line it is given; the caller's text stays untouched.
  const shell::Text line = shell::copy_text(command_line, static_cast<std::size_t>(length));

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show_state_for(options.show_mode);
  // Suspended until it is in the job: a program that ran before could start others outside it.
  const DWORD creation = options.job != nullptr ? CREATE_SUSPENDED : 0;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.get(), nullptr, nullptr, FALSE, creation, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  const ProcessInformation started(info);

  if (options.job != nullptr) {
    // The job is a safety net, not a condition of running: where the program cannot join it (a
    // system without nested jobs, with the caller already in a job of its own), it still runs, it
    // only outlives the job.
    AssignProcessToJobObject(options.job, started.process());
    if (ResumeThread(started.thread()) == static_cast<DWORD>(-1)) {
      // It would never run, and nobody could end it later: end it now.
      TerminateProcess(started.process(), 1);
      return false;
    }
  }

  const bool ended = wait_for_end(started, options);
  if (options.ended != nullptr) *options.ended = ended;
  return true;
}

bool run_command_line(const char* command_line, bool wait, std::int32_t show_mode) {
  CommandOptions options;
  options.wait = wait;
  options.show_mode = show_mode;
  return run_command(command_line, options);
}

Job Job::create() {
  KernelHandle job{CreateJobObjectA(nullptr, nullptr)};
  if (!job) return Job{};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  // A job that does not end its programs when closed is no safety net at all.
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) return Job{};
  return Job{std::move(job)};
}

}  // namespace services
