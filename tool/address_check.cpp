#include "tool/address_check.h"

namespace tool {

bool address_is_safe(const char* text) {
  if (text == nullptr) return true;
  for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    const unsigned char byte = *p;
    if (byte >= 0x81 && byte <= 0xFE && p[1] != 0) {
      ++p;
      continue;
    }
    if (byte < 0x20) return false;
    switch (byte) {
      case '&':
      case '|':
      case '<':
      case '>':
      case '^':
      case '"':
      case '%':
        return false;
      default:
        break;
    }
  }
  return true;
}

}  // namespace tool
