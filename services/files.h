#pragma once
// Opening files into the open-file table, and reading text from them.
#include <cstdint>
#include <optional>

#include "shell/memory.h"

namespace services {

// Open modes: 1 read, 2 write, 3 read and write, each of an existing file only; 4 write, the file
// emptied or created; 5 write and 6 read and write, the file kept or created. Share modes: what
// others may do meanwhile: 1 read and write, 2 write, 3 read, 4 neither. Returns the file's
// number in the open-file table, or 0 when the name is empty, a mode is out of range (rejected,
// not limited) or the system refuses.
std::int32_t open_file(const char* name, std::int32_t open_mode = 3, std::int32_t share_mode = 1);

// False when the number names no open file.
bool close_file(std::int32_t number);

// Reads up to `length` bytes (the file's whole length when omitted) from the current position,
// and returns them up to the first zero or 0x1A byte, leaving the position on that byte (see
// scan_text). Absent when nothing was read, for an unknown number and on any error; after a
// failed read or move the position is at the end of the file. Never closes the file.
shell::Text read_text(std::int32_t file_number, std::optional<std::int32_t> length = std::nullopt);

}  // namespace services
