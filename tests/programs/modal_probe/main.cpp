// Handlers that append one line per step to the file named by IPL_PROBE_LOG, so a driver can
// tell what ran and in which order.
#include <windows.h>

#include <string>

#include "shell/content.h"
#include "shell/process.h"
#include "shell/window.h"

namespace {

constexpr shell::WindowRef kMain{0x52000001, 0x06000001};
constexpr shell::WindowRef kSecond{0x52000002, 0x06000002};
constexpr shell::WindowRef kDialog{0x52000003, 0x06000003};
constexpr shell::WindowRef kNested{0x52000004, 0x06000004};
constexpr shell::WindowRef kSelfClosing{0x52000005, 0x06000005};

void log(const std::string& line) {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("IPL_PROBE_LOG", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Binds a routine that answers nothing: the event goes on as usual.
template <void (*Routine)()>
std::optional<std::int32_t> plain(std::span<const std::int32_t>) {
  Routine();
  return std::nullopt;
}

void main_created() { log("main created"); }
void main_destroying() { log("main destroying"); }

void open_dialog() {
  log("open dialog");
  const bool loaded = shell::load_window(kDialog, nullptr, true);
  log(loaded ? "dialog returned" : "dialog not loaded");
}

void open_second() {
  shell::load_window(kSecond);
  shell::write_number_property(kSecond.window, kSecond.element, shell::property::disabled, 1);
  log("second loaded and disabled");
}

void second_created() { log("second created"); }
void dialog_created() { log("dialog created"); }
void dialog_destroying() { log("dialog destroying"); }

int close_requests = 0;

std::optional<std::int32_t> dialog_can_close(std::span<const std::int32_t>) {
  ++close_requests;
  log("dialog can-close " + std::to_string(close_requests));
  if (close_requests == 1) return 0;
  return std::nullopt;
}

void open_nested() {
  log("open nested");
  const bool loaded = shell::load_window(kNested, nullptr, true);
  log(loaded ? "nested returned" : "nested not loaded");
}

void nested_created() { log("nested created"); }

void open_self_closing() {
  log("open self-closing");
  const bool loaded = shell::load_window(kSelfClosing, nullptr, true);
  log(loaded ? "self-closing returned" : "self-closing not loaded");
}

void self_closing_created() {
  log("self-closing created");
  const shell::WindowState* ws = shell::find_window_state(kSelfClosing.window);
  SendMessageA(ws->live, WM_CLOSE, 0, 0);
  log(ws->live == nullptr ? "self-closing closed" : "self-closing still open");
}

constexpr shell::HandlerEntry kHandlers[] = {
    {"main_created", &plain<main_created>},
    {"main_destroying", &plain<main_destroying>},
    {"open_dialog", &plain<open_dialog>},
    {"open_second", &plain<open_second>},
    {"open_self_closing", &plain<open_self_closing>},
    {"second_created", &plain<second_created>},
    {"dialog_created", &plain<dialog_created>},
    {"dialog_can_close", &dialog_can_close},
    {"dialog_destroying", &plain<dialog_destroying>},
    {"open_nested", &plain<open_nested>},
    {"nested_created", &plain<nested_created>},
    {"self_closing_created", &plain<self_closing_created>},
};

// IPL_PROBE_FIRST=self-closing starts with the window that closes itself instead of the main one.
std::uint32_t first_window() {
  char name[32] = {};
  const DWORD length = GetEnvironmentVariableA("IPL_PROBE_FIRST", name, sizeof name);
  return length > 0 && std::string(name, length) == "self-closing" ? kSelfClosing.window : kMain.window;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const shell::Application app{kHandlers, "IPL_TEMPLATES", first_window(), nullptr, nullptr};
  return shell::run_application(app);
}
