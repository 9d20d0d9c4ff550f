// The program's global allocation functions and the standard library's error entry points.
// Everything goes through the memory service, so a refused allocation anywhere ends in the same
// fatal runtime error; and since nothing throws, the library's throwing paths end there too,
// which keeps the exception runtime out of the program.
#include <cstddef>
#include <new>

#include "shell/fatal_error.h"
#include "shell/memory.h"

void* operator new(std::size_t size) { return shell::allocate_bytes(size); }
void* operator new[](std::size_t size) { return shell::allocate_bytes(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return shell::allocate_bytes(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return shell::allocate_bytes(size); }
void operator delete(void* block) noexcept { shell::release(block); }
void operator delete[](void* block) noexcept { shell::release(block); }
void operator delete(void* block, std::size_t) noexcept { shell::release(block); }
void operator delete[](void* block, std::size_t) noexcept { shell::release(block); }

namespace std {

// Declared by the library's headers; only their throwing definitions are replaced here.
void __throw_bad_alloc() { shell::raise_fatal_error("内存不足", 0); }
void __throw_bad_array_new_length() { shell::raise_fatal_error("内存不足", 0); }
void __throw_length_error(const char*) { shell::raise_fatal_error("内部错误：长度超出范围", 0); }
void __throw_out_of_range_fmt(const char*, ...) { shell::raise_fatal_error("内部错误：下标超出范围", 0); }

}  // namespace std
