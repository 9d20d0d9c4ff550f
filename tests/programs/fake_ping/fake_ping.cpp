// Writes a chosen output to standard output, named by its first argument, so that tests can
// give the program result files of every shape: empty, cut by 0 or 0x1A, a lone lead byte,
// GBK text, ten mebibytes, or a ping that never ends.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

void put(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string big_text() {
  std::string text;
  const std::string line = "Reply from 127.0.0.1: bytes=32 time<1ms TTL=64 (filler line)\r\n";
  while (text.size() + line.size() <= 10 * 1024 * 1024) text += line;
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "empty") return 0;
  if (mode == "eof") {
    put(
        std::string("abc\x1A"
                    "def",
                    7));
  } else if (mode == "zero") {
    put(std::string("ab\0cd", 5));
  } else if (mode == "lead") {
    put(std::string("a\xD6", 2));
  } else if (mode == "leadzero") {
    put(std::string("a\xD6\0b", 4));
  } else if (mode == "gbk") {
    put("服务器IP\r\n");
  } else if (mode == "big") {
    put(big_text());
  } else if (mode == "slow") {
    Sleep(600000);
  } else {
    std::string echo = "fake ping:";
    for (int i = 1; i < argc; ++i) echo += std::string(" ") + argv[i];
    put(echo + "\r\n");
  }
  return 0;
}
