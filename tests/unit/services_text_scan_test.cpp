// Where a text read from a file ends. Uses no system header, so it runs on any host.
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "services/text_scan.h"

namespace {

struct ScanCase {
  std::string bytes;
  std::size_t text_length;
  std::optional<std::size_t> end_offset;
};

services::ScanResult scan(const std::string& bytes) {
  return services::scan_text(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(ScanText, EndsAtZeroOr1AOutsideTwoByteCharacters) {
  using namespace std::string_literals;
  const ScanCase cases[] = {
      {""s, 0, std::nullopt},
      {"abc"s, 3, std::nullopt},
      {std::string("abc\x1A") + "def", 3, 3},
      {"ab\0cd"s, 2, 2},
      {"\x1A"s, 0, 0},
      {"\x7F\x1A"s, 1, 1},                                    // 0x7F is a one-byte character
      {"a\xD6\0"s, 1, 2},                                     // lone first byte dropped, end on the zero
      {"\xFF\0"s, 0, 1},                                      // the same at the very start
      {std::string("\xB0\x1A") + "x", 3, std::nullopt},       // 0x1A as a second byte is ordinary
      {"\x80\x1A"s, 2, std::nullopt},                         // 0x80 already starts a character
      {"\xB0\xA1\0"s, 2, 2},                                  // a zero after a whole character
      {"\xB0\xB0\xB0"s, 3, std::nullopt},                     // a second byte never starts a character
      {"\xB0\xB0\xB0\0"s, 2, 3},                              // ...so the third byte is a first byte
      {"x\xB0"s, 2, std::nullopt},                            // a first byte that is the last stays
      {"\xB7\xFE\xCE\xF1\xC6\xF7IP\r\n"s, 10, std::nullopt},  // 服务器IP in GBK, whatever this build's charset
  };
  for (const ScanCase& c : cases) {
    const services::ScanResult result = scan(c.bytes);
    EXPECT_EQ(result.text_length, c.text_length) << testing::PrintToString(c.bytes);
    EXPECT_EQ(result.end_offset, c.end_offset) << testing::PrintToString(c.bytes);
  }
}

TEST(ScanText, NeverLooksBeyondTheBytesGiven) {
  // The byte after the first is zero, but it is not among the bytes read.
  const unsigned char bytes[] = {0xB0, 0x00};
  const services::ScanResult result = services::scan_text(bytes, 1);
  EXPECT_EQ(result.text_length, 1u);
  EXPECT_EQ(result.end_offset, std::nullopt);
  EXPECT_EQ(services::scan_text(bytes, 0).text_length, 0u);
}

// Every sequence of up to four bytes from the bytes that matter: the text is a prefix that scans
// whole, and an end offset names a zero or 0x1A byte right at or right after the text.
TEST(ScanText, HoldsItsInvariantsOnAllShortInputs) {
  const unsigned char alphabet[] = {0x00, 0x1A, 'a', 0x7F, 0x80, 0xB0, 0xFF};
  std::vector<unsigned char> bytes;
  for (std::size_t n = 0; n <= 4; ++n) {
    std::size_t combinations = 1;
    for (std::size_t k = 0; k < n; ++k) combinations *= std::size(alphabet);
    for (std::size_t code = 0; code < combinations; ++code) {
      bytes.assign(n, 0);
      for (std::size_t k = 0, rest = code; k < n; ++k, rest /= std::size(alphabet)) {
        bytes[k] = alphabet[rest % std::size(alphabet)];
      }
      const services::ScanResult result = services::scan_text(bytes.data(), n);
      const std::string shown = testing::PrintToString(bytes);
      ASSERT_LE(result.text_length, n) << shown;
      if (result.end_offset) {
        const std::size_t end = *result.end_offset;
        ASSERT_LT(end, n) << shown;
        ASSERT_TRUE(bytes[end] == 0x00 || bytes[end] == 0x1A) << shown;
        ASSERT_TRUE(end == result.text_length || end == result.text_length + 1) << shown;
      } else {
        ASSERT_EQ(result.text_length, n) << shown;
      }
      const services::ScanResult again = services::scan_text(bytes.data(), result.text_length);
      ASSERT_EQ(again.text_length, result.text_length) << shown;
      ASSERT_EQ(again.end_offset, std::nullopt) << shown;
    }
  }
}
