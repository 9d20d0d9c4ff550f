// Compares address_is_safe with a second implementation built another way: the bytes are first
// decoded into the characters the system makes of them (code page 936: a byte 0x81..0xFE and
// whatever byte follows it are one character, as the ANSI-to-Unicode conversion of the command
// line pairs them), and only one-byte characters are then judged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tool/address_check.h"

namespace {

struct Character {
  unsigned char first;
  bool double_byte;
};

std::vector<Character> decode(const unsigned char* text) {
  std::vector<Character> characters;
  const std::size_t length = std::strlen(reinterpret_cast<const char*>(text));
  for (std::size_t i = 0; i < length;) {
    const bool pair = text[i] >= 0x81 && text[i] <= 0xFE && i + 1 < length;
    characters.push_back(Character{text[i], pair});
    i += pair ? 2 : 1;
  }
  return characters;
}

bool reference_is_safe(const unsigned char* text) {
  static constexpr char kSyntax[] = "&|<>^\"%";
  for (const Character& c : decode(text)) {
    if (c.double_byte) continue;
    if (c.first < 0x20) return false;
    if (std::memchr(kSyntax, c.first, sizeof kSyntax - 1) != nullptr) return false;
  }
  return true;
}

bool checked(const std::vector<char>& text) {
  const bool answer = tool::address_is_safe(text.data());
  const bool expected = reference_is_safe(reinterpret_cast<const unsigned char*>(text.data()));
  if (answer != expected) {
    std::fprintf(stderr, "address_is_safe says %d, the character walk says %d\n", answer, expected);
    std::abort();
  }
  return answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!tool::address_is_safe(nullptr)) std::abort();

  // The input up to its first zero byte, in a block of exactly that size plus the terminator.
  std::size_t length = 0;
  while (length < size && data[length] != 0) ++length;
  std::vector<char> text(length + 1, '\0');
  if (length != 0) std::memcpy(text.data(), data, length);
  const bool safe = checked(text);

  // An ampersand appended to a safe text makes it unsafe, unless it becomes the second byte of a
  // lead byte left alone at the end.
  if (safe) {
    const std::vector<Character> characters = decode(reinterpret_cast<const unsigned char*>(text.data()));
    const bool dangling = !characters.empty() && !characters.back().double_byte && characters.back().first >= 0x81 &&
                          characters.back().first <= 0xFE;
    std::vector<char> longer(length + 2, '\0');
    std::memcpy(longer.data(), text.data(), length);
    longer[length] = '&';
    if (checked(longer) != dangling) {
      std::fprintf(stderr, "an appended & was judged wrongly\n");
      std::abort();
    }
  }
  return 0;
}
