#include "shell/fatal_error.h"

#include <windows.h>

#include "shell/decimal.h"
#include "shell/process.h"
#include "shell/process_state.h"

namespace shell {

std::size_t fatal_error_message(char* out, std::size_t capacity, const char* text, std::int32_t code) {
  // Not even the terminating zero fits.
  if (capacity == 0) return 0;
  std::size_t used = 0;
  auto put = [&](const char* part) {
    while (*part != '\0' && used + 1 < capacity) out[used++] = *part++;
  };
  put("运行时出错!\r\n\r\n");
  if (code != 0) {
    char digits[24];
    write_decimal(digits, code);
    put("错误代码：");
    put(digits);
    put("\r\n\r\n");
  }
  if (text != nullptr && text[0] != '\0') {
    put("错误信息：");
    put(text);
    put("\r\n");
  }
  out[used] = '\0';
  return used;
}

void raise_fatal_error(const char* text, std::int32_t code) {
  ProcessState& s = state();
  ++s.event_suppression;
  char message[1024];
  fatal_error_message(message, sizeof message, text, code);
  MessageBoxA(nullptr, message, "错误", MB_ICONHAND);
  s.end_routine = nullptr;
  end_program(-1);
}

}  // namespace shell
