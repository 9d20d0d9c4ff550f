#include "shell/memory.h"

#include <windows.h>

#include <cstring>

#include "shell/decimal.h"
#include "shell/fatal_error.h"
#include "shell/process_state.h"

namespace shell {
namespace {

HANDLE heap() {
  // Blocks may be asked for before start-up has taken the heap (static constructors).
  HANDLE h = state().heap;
  return h != nullptr ? h : GetProcessHeap();
}

// "分配 %d 字节内存失败!" with the size as the caller asked for it: a negative request shows as
// the negative number it was.
[[noreturn]] void allocation_refused(long long size) {
  char message[64] = "分配 ";
  std::size_t used = std::strlen(message);
  used += write_decimal(message + used, size);
  std::strcpy(message + used, " 字节内存失败!");
  raise_fatal_error(message, 0);
}

}  // namespace

void* allocate_bytes(std::size_t size) {
  void* block = HeapAlloc(heap(), 0, size);
  if (block == nullptr) allocation_refused(static_cast<long long>(size));
  return block;
}

void* allocate(std::int32_t size) {
  if (size < 0) allocation_refused(size);
  return allocate_bytes(static_cast<std::size_t>(size));
}

void* try_allocate_bytes(std::size_t size) noexcept { return HeapAlloc(heap(), 0, size); }

void shrink_block(void* block, std::size_t size) noexcept {
  if (block != nullptr && size != 0) HeapReAlloc(heap(), HEAP_REALLOC_IN_PLACE_ONLY, block, size);
}

void release(void* block) noexcept {
  if (block != nullptr) HeapFree(heap(), 0, block);
}

Text copy_text(const char* bytes, std::size_t length) {
  if (length == 0) return Text{};
  auto* block = static_cast<char*>(allocate_bytes(length + 1));
  std::memcpy(block, bytes, length);
  block[length] = '\0';
  return Text{block};
}

}  // namespace shell
