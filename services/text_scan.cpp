#include "services/text_scan.h"

namespace services {

ScanResult scan_text(const unsigned char* bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < n) {
    const unsigned char byte = bytes[i];
    if (byte == 0 || byte == 0x1A) return {i, i};
    if (byte >= 0x80 && i + 1 < n) {
      if (bytes[i + 1] == 0) return {i, i + 1};
      i += 2;
    } else {
      ++i;
    }
  }
  return {n, std::nullopt};
}

}  // namespace services
