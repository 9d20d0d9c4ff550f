#include "shell/decimal.h"

namespace shell {

std::size_t write_decimal(char* out, std::intptr_t value) {
  char digits[21];
  std::size_t count = 0;
  // Pointer-sized: no 64-bit division helpers in the 32-bit program.
  std::uintptr_t magnitude = value < 0 ? 0 - static_cast<std::uintptr_t>(value) : static_cast<std::uintptr_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::size_t written = 0;
  if (value < 0) out[written++] = '-';
  while (count > 0) out[written++] = digits[--count];
  out[written] = '\0';
  return written;
}

}  // namespace shell
