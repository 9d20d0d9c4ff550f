#include "services/text.h"

#include <cstring>

namespace services {
namespace {

std::size_t byte_count(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

}  // namespace

int compare_texts(const char* a, const char* b) {
  if (a == nullptr) return b == nullptr || *b == '\0' ? 0 : -1;
  if (b == nullptr) return *a == '\0' ? 0 : 1;
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  for (; *x == *y; ++x, ++y) {
    if (*x == 0) return 0;
  }
  return *x < *y ? -1 : 1;
}

std::int32_t text_length(const char* text) { return static_cast<std::int32_t>(byte_count(text)); }

shell::Text join_texts(std::initializer_list<const char*> texts) {
  std::size_t total = 0;
  for (const char* text : texts) total += byte_count(text);
  // Not copy_text: that one gives the absent text for "", and a join is never absent.
  auto* block = static_cast<char*>(shell::allocate_bytes(total + 1));
  char* end = block;
  for (const char* text : texts) {
    const std::size_t length = byte_count(text);
    if (length != 0) std::memcpy(end, text, length);
    end += length;
  }
  *end = '\0';
  return shell::Text{block};
}

}  // namespace services
