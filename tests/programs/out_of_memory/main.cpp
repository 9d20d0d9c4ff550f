// Opens a file without sharing and prepares a heap that has no room left; one click hands that
// heap to the memory service and asks it for 100 bytes, another asks for -1 bytes.
//
// IPL_OOM_FOLDER names the folder for the held file ("held.txt") and for the mark the end routine
// leaves ("end-routine-ran.txt").
#include <windows.h>

#include <string>

#include "services/files.h"
#include "shell/memory.h"
#include "shell/process.h"
#include "shell/process_state.h"

namespace {

constexpr std::uint32_t kWindow = 0x52000001;

HANDLE exhausted_heap = nullptr;

std::string folder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("IPL_OOM_FOLDER", path, sizeof path);
  return length > 0 && length < sizeof path ? std::string(path, length) : std::string(".");
}

void initialise() {
  services::open_file((folder() + "\\held.txt").c_str(), 4, 4);
  // A fixed maximum: once the small allocations stop fitting, every later one is refused.
  exhausted_heap = HeapCreate(0, 0, 64 * 1024);
  while (HeapAlloc(exhausted_heap, 0, 100) != nullptr) {
  }
}

// Must not run: the fatal error unregisters it before the clean-up.
void end() {
  const std::string mark = folder() + "\\end-routine-ran.txt";
  const HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Swapped in only now: building the window needs memory too.
std::optional<std::int32_t> allocate_block(std::span<const std::int32_t>) {
  shell::state().heap = exhausted_heap;
  shell::allocate(100);
  return std::nullopt;
}

std::optional<std::int32_t> allocate_negative(std::span<const std::int32_t>) {
  shell::allocate(-1);
  return std::nullopt;
}

constexpr shell::HandlerEntry kHandlers[] = {
    {"allocate_block", &allocate_block},
    {"allocate_negative", &allocate_negative},
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const shell::Application app{kHandlers, "IPL_TEMPLATES", kWindow, &initialise, &end};
  return shell::run_application(app);
}
