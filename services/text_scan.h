#pragma once
// Where a text read from a file ends. Pure and free of the system headers, so that it builds and
// can be exercised on any host.
#include <cstddef>
#include <optional>

namespace services {

struct ScanResult {
  // The text is always the first text_length bytes.
  std::size_t text_length = 0;
  // The offset of the zero or 0x1A byte that ended the text, when one did; the reader leaves the
  // file on that byte.
  std::optional<std::size_t> end_offset;
};

// Looks at the n bytes only, never beyond. A zero or 0x1A byte ends the text. A byte of 0x80 or
// more starts a two-byte character whose second byte is taken whatever it is, 0x1A included;
// only a zero second byte ends the text, before the first byte, with the end at the zero. A first
// byte that is the last of the n bytes stays at the end of the text: its second byte was not read.
ScanResult scan_text(const unsigned char* bytes, std::size_t n);

}  // namespace services
