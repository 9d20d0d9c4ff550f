#include "services/files.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "services/text.h"
#include "services/text_scan.h"
#include "shell/memory.h"
#include "shell/open_files.h"

namespace services {
namespace {

struct OpenMode {
  DWORD access;
  DWORD disposition;
};

constexpr OpenMode kOpenModes[] = {
    {GENERIC_READ, OPEN_EXISTING},  {GENERIC_WRITE, OPEN_EXISTING}, {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING},
    {GENERIC_WRITE, CREATE_ALWAYS}, {GENERIC_WRITE, OPEN_ALWAYS},   {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS},
};

constexpr DWORD kShareModes[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_SHARE_WRITE, FILE_SHARE_READ, 0};

std::optional<std::int64_t> move_position(HANDLE file, std::int64_t distance, DWORD method) {
  LARGE_INTEGER to{};
  to.QuadPart = distance;
  LARGE_INTEGER now{};
  if (!SetFilePointerEx(file, to, &now, method)) return std::nullopt;
  return now.QuadPart;
}

std::optional<std::int64_t> current_position(HANDLE file) { return move_position(file, 0, FILE_CURRENT); }

// After a failed read the position is left at the end, so a following read finds nothing more.
shell::Text give_up_at_end(HANDLE file) {
  move_position(file, 0, FILE_END);
  return shell::Text{};
}

// The whole length of the file, measured from its end, whatever the current position is.
std::optional<std::int64_t> whole_length(HANDLE file) {
  const std::optional<std::int64_t> here = current_position(file);
  if (!here) return std::nullopt;
  const std::optional<std::int64_t> end = move_position(file, 0, FILE_END);
  if (!end || !move_position(file, *here, FILE_BEGIN)) return std::nullopt;
  return end;
}

}  // namespace

std::int32_t open_file(const char* name, std::int32_t open_mode, std::int32_t share_mode) {
  if (text_length(name) == 0) return 0;
  if (open_mode < 1 || open_mode > 6 || share_mode < 1 || share_mode > 4) return 0;
  const OpenMode& mode = kOpenModes[open_mode - 1];
  // Inheritable, yet no started program receives it: programs are started without inheriting
  // handles (run_command).
  SECURITY_ATTRIBUTES security{};
  security.nLength = sizeof security;
  security.bInheritHandle = TRUE;
  const HANDLE file = CreateFileA(name, mode.access, kShareModes[share_mode - 1], &security, mode.disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  return shell::add_open_file(file);
}

bool close_file(std::int32_t number) { return shell::close_open_file(number); }

shell::Text read_text(std::int32_t file_number, std::optional<std::int32_t> length) {
  if (length && *length <= 0) return shell::Text{};
  const HANDLE file = shell::find_open_file(file_number);
  if (file == nullptr) return shell::Text{};

  std::int64_t wanted = 0;
  if (length) {
    wanted = *length;
  } else {
    const std::optional<std::int64_t> whole = whole_length(file);
    if (!whole) return shell::Text{};
    // A length is a signed 32-bit count: a longer file cannot be read whole, and is a failed
    // read rather than a read of a cut length.
    if (*whole > INT32_MAX) return give_up_at_end(file);
    wanted = *whole;
  }
  if (wanted <= 0) return shell::Text{};

  // The file is read straight into the block the text is returned in, with room for the zero
  // byte: its bytes are copied once, by the read. A file too big for memory is a failed read here
  // (a refused block is not the fatal error), not the end of the program.
  shell::Text text{static_cast<char*>(shell::try_allocate_bytes(static_cast<std::size_t>(wanted) + 1))};
  if (!text) return give_up_at_end(file);

  const std::optional<std::int64_t> start = current_position(file);
  DWORD bytes_read = 0;
  if (!start || !ReadFile(file, text.get(), static_cast<DWORD>(wanted), &bytes_read, nullptr)) {
    return give_up_at_end(file);
  }

  const ScanResult scan = scan_text(reinterpret_cast<const unsigned char*>(text.get()), bytes_read);
  if (scan.end_offset && !move_position(file, *start + static_cast<std::int64_t>(*scan.end_offset), FILE_BEGIN)) {
    return give_up_at_end(file);
  }
  if (scan.text_length == 0) return shell::Text{};
  text.get()[scan.text_length] = '\0';
  if (scan.text_length < static_cast<std::size_t>(wanted)) shell::shrink_block(text.get(), scan.text_length + 1);
  return text;
}

}  // namespace services
