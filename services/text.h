#pragma once
// Text values: zero-terminated byte strings in the ANSI code page (GBK for the program's own
// texts). A null pointer is the absent text and means the same as "" everywhere.
#include <cstdint>
#include <initializer_list>

#include "shell/memory.h"

namespace services {

// -1, 0 or 1, byte by byte with bytes taken as 0..255; a prefix is the smaller. No case folding
// and no locale: a two-byte character compares as its two bytes.
int compare_texts(const char* a, const char* b);

// The number of bytes before the zero byte; 0 for the absent text.
std::int32_t text_length(const char* text);

// The texts one after the other in one new block of exactly the needed size. Never absent: even
// an all-empty join is an allocated "" (an empty list joins to "" as well).
shell::Text join_texts(std::initializer_list<const char*> texts);

}  // namespace services
