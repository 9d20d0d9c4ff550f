// Starts with a window identifier that none of its templates carries.
#include <windows.h>

#include "shell/process.h"

namespace {

constexpr std::uint32_t kNoSuchWindow = 0x52000002;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const shell::Application app{{}, "IPL_TEMPLATES", kNoSuchWindow, nullptr, nullptr};
  return shell::run_application(app);
}
