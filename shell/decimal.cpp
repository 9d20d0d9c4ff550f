#include "shell/decimal.h"

namespace shell {

std::size_t write_decimal(char* out, long long value) {
  char digits[21];
  std::size_t count = 0;
  unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
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
