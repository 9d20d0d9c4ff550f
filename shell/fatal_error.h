#pragma once
// The one way the program stops on an error it cannot continue after: a box titled "错误",
// then the clean-up and exit code -1.
#include <cstddef>
#include <cstdint>

namespace shell {

// Writes the box's text into `out` (zero-terminated, cut to `capacity`): the heading, the
// error-code line when the code is not 0, then the error text when there is one. Uses no heap:
// the heap may be the very thing that failed.
std::size_t fatal_error_message(char* out, std::size_t capacity, const char* text, std::int32_t code);

[[noreturn]] void raise_fatal_error(const char* text, std::int32_t code = 0);

}  // namespace shell
