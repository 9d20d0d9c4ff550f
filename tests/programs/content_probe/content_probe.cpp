// Content probe: its handlers write and read the content of two edit boxes through the shell and
// append what they see, one line each, to the file named by IPL_CONTENT_PROBE_LOG:
//   created                        the window's created event
//   changed multi|single <content> a content-changed event, with the content at that moment
//   read multi|single <content>    a read by a button
//   wrote                          after each single write of a twice-writing button
//   done <button>                  a button's handler has finished
// <content> is "null" for the absent text, else "hex " and the bytes in upper-case hex (an
// allocated empty text would show as "hex " alone).
// The text the write-text button writes comes from IPL_CONTENT_PROBE_TEXT, so that the driver
// chooses it.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "shell/content.h"
#include "shell/process.h"

namespace {

constexpr std::uint32_t kWindow = 0x52020001;
constexpr std::uint32_t kMultiBox = 0x16020002;
constexpr std::uint32_t kSingleBox = 0x16020003;
constexpr char kSameText[] = "same";

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// Read wide and converted here: Wine's GetEnvironmentVariableA cuts a value after as many bytes
// as it has characters, which loses the end of any text with double-byte characters.
std::string environment(const wchar_t* name) {
  const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
  if (needed == 0) return {};
  std::wstring wide(needed, L'\0');
  const DWORD length = GetEnvironmentVariableW(name, wide.data(), needed);
  if (length == 0 || length >= needed) return {};
  const int wide_length = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string value(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, value.data(), bytes, nullptr, nullptr);
  return value;
}

// Opened per line, so that the driver sees each line as soon as it is written.
void log_line(std::string_view line) {
  const std::string path = environment(L"IPL_CONTENT_PROBE_LOG");
  if (path.empty()) return;
  HANDLE raw = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return;
  const OwnedHandle file{raw};
  std::string bytes;
  bytes.append(line.data(), line.size()).append(1, '\n');
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string describe(const shell::Text& text) {
  if (!text) return "null";
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "hex ";
  for (const char* p = text.get(); *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
  return out;
}

const char* box_name(std::uint32_t box) { return box == kMultiBox ? "multi" : "single"; }

std::string content_of(std::uint32_t box) {
  return describe(shell::read_property(kWindow, box, shell::property::content));
}

void write(std::uint32_t box, const char* text) { shell::write_property(kWindow, box, shell::property::content, text); }

using Result = std::optional<std::int32_t>;
using Arguments = std::span<const std::int32_t>;

Result probe_created(Arguments) {
  log_line("created");
  return std::nullopt;
}

template <std::uint32_t Box>
Result changed(Arguments) {
  log_line(std::string("changed ") + box_name(Box) + " " + content_of(Box));
  return std::nullopt;
}

Result write_text_multi(Arguments) {
  const std::string text = environment(L"IPL_CONTENT_PROBE_TEXT");
  write(kMultiBox, text.c_str());
  log_line("done write-text");
  return std::nullopt;
}

template <std::uint32_t Box>
Result write_absent(Arguments) {
  write(Box, nullptr);
  log_line(std::string("done absent-") + box_name(Box));
  return std::nullopt;
}

template <std::uint32_t Box>
Result write_twice(Arguments) {
  for (int i = 0; i < 2; ++i) {
    write(Box, kSameText);
    log_line("wrote");
  }
  log_line(std::string("done twice-") + box_name(Box));
  return std::nullopt;
}

template <std::uint32_t Box>
Result read(Arguments) {
  log_line(std::string("read ") + box_name(Box) + " " + content_of(Box));
  log_line(std::string("done read-") + box_name(Box));
  return std::nullopt;
}

constexpr shell::HandlerEntry kHandlers[] = {
    {"probe_created", &probe_created},
    {"multi_changed", &changed<kMultiBox>},
    {"single_changed", &changed<kSingleBox>},
    {"write_text_multi", &write_text_multi},
    {"write_absent_multi", &write_absent<kMultiBox>},
    {"write_absent_single", &write_absent<kSingleBox>},
    {"write_twice_multi", &write_twice<kMultiBox>},
    {"write_twice_single", &write_twice<kSingleBox>},
    {"read_multi", &read<kMultiBox>},
    {"read_single", &read<kSingleBox>},
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const shell::Application app{kHandlers, "IPL_TEMPLATES", kWindow, nullptr, nullptr};
  return shell::run_application(app);
}
