#pragma once
// Decimal formatting without the C runtime's printf family.
#include <cstddef>
#include <cstdint>

namespace shell {

// Writes `value` in decimal at `out` (room for 21 bytes), zero-terminated; returns the digits
// written, sign included.
std::size_t write_decimal(char* out, std::intptr_t value);

}  // namespace shell
