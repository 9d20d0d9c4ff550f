#include "shell/process_state.h"

namespace shell {
namespace {
ProcessState the_process;
}  // namespace

ProcessState& state() { return the_process; }

}  // namespace shell
