// Shows the program at work on a virtual display: starts it, types a loopback address, presses
// the query button, saves pictures of the window and prints the result, then closes it.
#include <cstdio>

#include "tests/gui/driver.h"

int main() {
  driver::Program program(driver::program_path("tool/iplatency.exe"));
  HWND main = program.main_window();
  if (main == nullptr) {
    std::fprintf(stderr, "the program did not show its window\n");
    return 1;
  }
  driver::bring_to_front(main);
  std::printf("screenshot: %s\n", driver::screenshot(main, "run-start").c_str());
  driver::type_text("127.0.0.1");
  HWND query = driver::child_with_text(main, "查看Ping（延迟）");
  HWND result = nullptr;
  for (const driver::Child& c : driver::children(main)) {
    if (c.class_name == "Edit" && (c.style & ES_MULTILINE) != 0) result = c.hwnd;
  }
  if (query == nullptr || result == nullptr) return 1;
  PostMessageA(query, BM_CLICK, 0, 0);
  const bool shown = driver::wait_until([&] { return !driver::window_text(result).empty(); }, 60000);
  driver::settle(main);
  std::printf("screenshot: %s\n", driver::screenshot(main, "run-result").c_str());
  std::printf("result:\n%s\n", driver::window_text(result).c_str());
  PostMessageA(main, WM_CLOSE, 0, 0);
  const DWORD code = program.wait_exit();
  std::printf("exit code: %lu\n", static_cast<unsigned long>(code));
  return shown && code == 0 ? 0 : 1;
}
