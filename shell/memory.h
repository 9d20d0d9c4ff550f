#pragma once
// The memory service: every block of the program comes from one heap, and a refused request
// ends the program through the fatal runtime error, so no caller ever sees a null block.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace shell {

void* allocate(std::int32_t size);
void* allocate_bytes(std::size_t size);
void release(void* block) noexcept;

// For a block that a caller can do without (a reading buffer as large as a file): null when the
// heap refuses, instead of the fatal error.
void* try_allocate_bytes(std::size_t size) noexcept;
// Gives back the end of a block that is used only up to `size` bytes, leaving it where it is.
void shrink_block(void* block, std::size_t size) noexcept;

struct Releaser {
  void operator()(void* block) const noexcept { release(block); }
};

// A text owned by its receiver: a zero-terminated byte string in a memory block, or null for
// the absent text. Released once, when the owner goes.
using Text = std::unique_ptr<char, Releaser>;

// Copies `length` bytes into a new text with a zero byte after them; an empty copy is the
// absent text.
Text copy_text(const char* bytes, std::size_t length);

}  // namespace shell
