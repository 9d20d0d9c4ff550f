#include "shell/window.h"
#include "tool/handlers.h"
#include "tool/ids.h"

namespace tool {

// The help window is a dialog: this returns only after it has been closed.
void show_help() {
  const shell::WindowRef help{ids::kHelpWindow, ids::kHelpWindowElement};
  shell::load_window(help, nullptr, true);
}

}  // namespace tool
