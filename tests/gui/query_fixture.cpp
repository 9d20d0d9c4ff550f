#include "tests/gui/query_fixture.h"

#include <cstdio>

namespace driver {

const std::string kRootFile = "C:\\IP延迟[由Tarvelon[QOVA制作]]生成.txt";
const std::string kNoAddress = "您未输入服务器IP";
const std::string kUnsafe = "服务器IP中不能含有 & | < > ^ % 或引号";
const std::string kCannotRun = "无法运行ping命令";
const std::string kCannotRead = "无法读取结果文件：";

std::string temp_result_file() {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "IP延迟[由Tarvelon[QOVA制作]]生成.txt";
}

void remove_result_files() {
  for (const std::string& path : {kRootFile, temp_result_file()}) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
  }
}

std::string shown_part(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == 0 || b == 0x1A) break;
    if (b >= 0x80 && i + 1 < bytes.size()) {
      if (bytes[i + 1] == 0) break;
      text += bytes.substr(i, 2);
      ++i;
      continue;
    }
    text += bytes[i];
  }
  return text;
}

RunningPing wait_for_ping(DWORD program_pid, DWORD timeout_ms) {
  RunningPing found;
  wait_until(
      [&] {
        for (const auto& [pid, name] : child_processes(program_pid)) {
          if (_stricmp(name.c_str(), "cmd.exe") == 0) found.cmd = pid;
        }
        for (const auto& [pid, name] : child_processes(found.cmd)) {
          if (_stricmp(name.c_str(), "ping.exe") == 0) found.ping = pid;
        }
        return found.cmd != 0 && found.ping != 0;
      },
      timeout_ms);
  return found;
}

void QueryFixture::SetUp() {
  remove_result_files();
  program = std::make_unique<Program>(program_to_start());
  ASSERT_TRUE(program->started());
  main = program->main_window();
  ASSERT_NE(main, nullptr);
  query = child_with_text(main, "查看Ping（延迟）");
  help = child_with_text(main, "帮助");
  for (const Child& c : children(main)) {
    if (c.class_name == "Edit" && (c.style & ES_MULTILINE) != 0) result = c.hwnd;
    if (c.class_name == "Edit" && (c.style & ES_MULTILINE) == 0) address = c.hwnd;
  }
  ASSERT_TRUE(query && help && address && result);
}

void QueryFixture::TearDown() {
  program.reset();
  remove_result_files();
}

void QueryFixture::set_text(HWND edit, const std::string& text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 30000, &ignored);
}

HWND QueryFixture::run_query(const std::string& text, DWORD timeout_ms, bool keep_result) {
  set_text(address, text);
  std::string before = window_text(result);
  if (!keep_result) {
    before = "(query pending)";
    set_text(result, before);
  }
  PostMessageA(query, BM_CLICK, 0, 0);
  HWND box = nullptr;
  wait_until(
      [&] {
        box = program->wait_window("#32770", nullptr, 0);
        return box != nullptr || (IsWindowEnabled(query) && window_text(result) != before);
      },
      timeout_ms);
  settle(main);
  return box;
}

HWND QueryFixture::run_query_again_once(const std::string& text, std::vector<std::string>& hiccups) {
  HWND box = run_query(text);
  if (box == nullptr) return nullptr;
  hiccups.push_back(describe_box(box));
  std::printf("query of \"%s\" run again after: %s\n", text.c_str(), hiccups.back().c_str());
  answer_message_box(box);
  wait_until([&] { return !IsWindow(box); });
  return run_query(text);
}

std::string QueryFixture::describe_box(HWND box) {
  if (box == nullptr) return "no message box";
  const MessageBoxContent content = read_message_box(box);
  return "message box \"" + content.title + "\": " + content.text;
}

void QueryFixture::expect_box(HWND box, const std::string& text) {
  ASSERT_NE(box, nullptr);
  const MessageBoxContent content = read_message_box(box);
  EXPECT_EQ(content.title, "信息：");
  EXPECT_EQ(content.text, text);
  answer_message_box(box);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(box); }));
  EXPECT_TRUE(settle(main));
}

}  // namespace driver
