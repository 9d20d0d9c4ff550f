// Feeds arbitrary bytes to scan_text and checks what the reader relies on: the text is a prefix
// free of terminators, and an end offset names the terminator the reader leaves the file on.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "services/text_scan.h"

namespace {

void fail(const char* what, std::size_t n) {
  std::fprintf(stderr, "scan_text of %zu bytes: %s\n", n, what);
  std::abort();
}

bool is_terminator(unsigned char byte) { return byte == 0x00 || byte == 0x1A; }

bool is_lead(unsigned char byte) { return byte >= 0x80; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so that a look beyond the n bytes is an overflow the sanitizer reports.
  const std::vector<unsigned char> bytes(data, data + size);
  const unsigned char* p = bytes.data();
  const std::size_t n = bytes.size();
  const services::ScanResult result = services::scan_text(p, n);
  const std::size_t length = result.text_length;

  if (length > n) fail("text longer than the input", n);

  // Walk the text the way the program's code page splits it: terminators may appear only as the
  // second byte of a pair, and a lead byte goes without its second byte only when that byte was
  // not among the n bytes.
  std::size_t i = 0;
  while (i < length) {
    if (is_terminator(p[i])) fail("terminator inside the text", n);
    if (is_lead(p[i]) && i + 1 < length) {
      if (p[i + 1] == 0x00) fail("zero second byte inside the text", n);
      i += 2;
    } else {
      if (is_lead(p[i]) && i + 1 != n) fail("lead byte cut off from its second byte", n);
      ++i;
    }
  }

  if (result.end_offset) {
    const std::size_t end = *result.end_offset;
    if (end >= n) fail("end offset outside the input", n);
    if (end == length) {
      if (!is_terminator(p[end])) fail("end offset on a byte that ends nothing", n);
    } else if (end == length + 1) {
      if (!is_lead(p[length]) || p[end] != 0x00) fail("end offset one past the text without a lead byte", n);
    } else {
      fail("end offset away from the end of the text", n);
    }
  } else if (length != n) {
    fail("text cut short without an end", n);
  }

  // The text alone scans whole: nothing in it would have ended it earlier.
  const services::ScanResult again = services::scan_text(p, length);
  if (again.text_length != length || again.end_offset) fail("the text does not scan to itself", n);

  // Bytes after the terminator do not matter.
  if (result.end_offset) {
    const services::ScanResult cut = services::scan_text(p, *result.end_offset + 1);
    if (cut.text_length != length || cut.end_offset != result.end_offset) fail("bytes after the end changed it", n);
  }
  return 0;
}
