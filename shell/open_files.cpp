#include "shell/open_files.h"

#include "shell/process_state.h"

namespace shell {

std::int32_t add_open_file(HANDLE handle) {
  ProcessState& s = state();
  // Numbers count up and skip any still in use, so a number never names two files at once.
  std::int32_t number = s.last_file_number;
  for (;;) {
    number = number == INT32_MAX ? 1 : number + 1;
    if (find_open_file(number) == nullptr) break;
  }
  s.last_file_number = number;
  s.open_files.push_back(OpenFileRecord{number, handle});
  return number;
}

HANDLE find_open_file(std::int32_t number) {
  if (number == 0) return nullptr;
  for (const OpenFileRecord& r : state().open_files) {
    if (r.number == number) return r.handle;
  }
  return nullptr;
}

bool close_open_file(std::int32_t number) {
  auto& files = state().open_files;
  for (auto it = files.begin(); it != files.end(); ++it) {
    if (it->number == number && number != 0) {
      CloseHandle(it->handle);
      files.erase(it);
      return true;
    }
  }
  return false;
}

void close_all_open_files() {
  auto& files = state().open_files;
  for (const OpenFileRecord& r : files) CloseHandle(r.handle);
  files.clear();
}

}  // namespace shell
