#include <windows.h>

#include "shell/process.h"
#include "tool/handlers.h"
#include "tool/ids.h"

namespace {

// The program's own initialisation and end routines: it has nothing to prepare or to save.
void initialise() {}
void end() {}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const shell::Application app{tool::handler_table(), "IPL_TEMPLATES", tool::ids::kMainWindow, &initialise, &end};
  return shell::run_application(app);
}
