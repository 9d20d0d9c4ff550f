#pragma once
// The open-file table: every file opened through the file service, in order of opening.
#include <windows.h>

#include <cstdint>

namespace shell {

// Enters an open handle; returns its file number, nonzero and unique among open files.
std::int32_t add_open_file(HANDLE handle);
// The handle of an open file, or null when the number names none.
HANDLE find_open_file(std::int32_t number);
// Closes one file and forgets it; false when the number names none.
bool close_open_file(std::int32_t number);
// Closes every file still open, in order of opening, ignoring errors.
void close_all_open_files();

}  // namespace shell
