// The latency query through the real program: what the result box shows, the warnings, the
// result file and its place, and the windows staying alive while ping runs.
#include <gtest/gtest.h>


#include <memory>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

const std::string kRootFile = "C:\\IP延迟[由Tarvelon[QOVA制作]]生成.txt";
const std::string kNoAddress = "您未输入服务器IP";
const std::string kUnsafe = "服务器IP中不能含有 & | < > ^ % 或引号";
const std::string kCannotRun = "无法运行ping命令";
const std::string kCannotRead = "无法读取结果文件：";

std::string temp_file() {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "IP延迟[由Tarvelon[QOVA制作]]生成.txt";
}

// The text up to the first zero byte or 0x1A, walking double-byte characters whole: what the
// program reads from its result file.
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

void remove_result_files() {
  for (const std::string& path : {kRootFile, temp_file()}) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
  }
}

class Query : public ::testing::Test {
 protected:
  Program program{driver::program_path("tool/iplatency.exe")};
  HWND main = nullptr;
  HWND address = nullptr;
  HWND result = nullptr;
  HWND query = nullptr;
  HWND help = nullptr;

  void SetUp() override {
    remove_result_files();
    ASSERT_TRUE(program.started());
    main = program.main_window();
    ASSERT_NE(main, nullptr);
    query = driver::child_with_text(main, "查看Ping（延迟）");
    help = driver::child_with_text(main, "帮助");
    for (const driver::Child& c : driver::children(main)) {
      if (c.class_name == "Edit" && (c.style & ES_MULTILINE) != 0) result = c.hwnd;
      if (c.class_name == "Edit" && (c.style & ES_MULTILINE) == 0) address = c.hwnd;
    }
    ASSERT_TRUE(query && help && address && result);
  }
  void TearDown() override { remove_result_files(); }

  void set_text(HWND edit, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
  }

  bool query_running() const { return !IsWindowEnabled(query); }

  // Clicks the query button and waits until the query has ended, or a message box is up.
  // The result box holds a mark meanwhile (unless it holds a text already), so that the end of
  // the query shows as a change.
  HWND run_query(const std::string& text, DWORD timeout_ms = 30000) {
    set_text(address, text);
    std::string before = driver::window_text(result);
    if (before.empty()) {
      before = "(query pending)";
      set_text(result, before);
    }
    PostMessageA(query, BM_CLICK, 0, 0);
    HWND box = nullptr;
    driver::wait_until(
        [&] {
          box = program.wait_window("#32770", nullptr, 0);
          return box != nullptr || (IsWindowEnabled(query) && driver::window_text(result) != before);
        },
        timeout_ms);
    driver::settle(main);
    return box;
  }

  // Expects a warning box with `text`, closes it and checks the program goes on.
  void expect_box(HWND box, const std::string& text, const std::string& title = "信息：") {
    ASSERT_NE(box, nullptr);
    const driver::MessageBoxContent content = driver::read_message_box(box);
    EXPECT_EQ(content.title, title);
    EXPECT_EQ(content.text, text);
    driver::answer_message_box(box);
    EXPECT_TRUE(driver::wait_until([&] { return !IsWindow(box); }));
    EXPECT_TRUE(driver::settle(main));
  }
};

struct ShownCase {
  const char* address;
  const char* expected_part;
};

TEST_F(Query, ShowsPingOutputAsTheResultFileHoldsIt) {
  const ShownCase cases[] = {
      {"127.0.0.1 -n 1", "Reply from 127.0.0.1"},
      {"localhost -n 1", "Reply from 127.0.0.1"},
      {"::1", "::1"},                      // this system's ping is IPv4 only: its complaint
      {"127.0.0.1:80", "127.0.0.1:80"},    // the port is passed on; ping complains
      {"   ", ""},                         // blanks only: ping's usage text
      {"127.0.0.1 -n 2", "Reply from 127.0.0.1"},
  };
  for (const ShownCase& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(run_query(c.address), nullptr);
    const std::string file = driver::read_file(kRootFile);
    EXPECT_FALSE(file.empty());
    EXPECT_EQ(driver::window_text(result), shown_part(file));
    EXPECT_NE(driver::window_text(result).find(c.expected_part), std::string::npos);
    // The program no longer holds the file: another process may delete it.
    EXPECT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
  }
}

TEST_F(Query, SecondQueryShowsOnlyItsOwnOutput) {
  ASSERT_EQ(run_query("127.0.0.1 -n 2"), nullptr);
  ASSERT_EQ(run_query("localhost -n 1"), nullptr);
  const std::string shown = driver::window_text(result);
  EXPECT_NE(shown.find("localhost"), std::string::npos);
  std::size_t replies = 0;
  for (std::size_t at = shown.find("Reply from"); at != std::string::npos; at = shown.find("Reply from", at + 1)) {
    ++replies;
  }
  EXPECT_EQ(replies, 1u);
}

TEST_F(Query, EmptyAddressWarnsAndTouchesNothing) {
  ASSERT_TRUE(driver::write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  expect_box(run_query(""), kNoAddress);
  EXPECT_EQ(driver::window_text(result), "kept");
  EXPECT_EQ(driver::read_file(kRootFile), "earlier");
}

TEST_F(Query, AddressWithCommandSyntaxIsNotRun) {
  ASSERT_TRUE(driver::write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  const char* unsafe[] = {"127.0.0.1 & echo x", "127.0.0.1 | more", "127.0.0.1 < x", "127.0.0.1 > x",
                          "127.0.0.1 ^",        "\"127.0.0.1\"",     "%PATH%",        "127.0.0.1\t-n 1"};
  for (const char* text : unsafe) {
    SCOPED_TRACE(text);
    expect_box(run_query(text), kUnsafe);
    EXPECT_EQ(driver::window_text(result), "kept");
    EXPECT_EQ(driver::read_file(kRootFile), "earlier");
  }
}

TEST_F(Query, DoubleByteCharacterWithASecondByteLikeABarRuns) {
  // 0x81 0x7C is one GBK character; its second byte is not the pipe sign.
  EXPECT_EQ(run_query("\x81\x7C"), nullptr);
  EXPECT_EQ(driver::window_text(result), shown_part(driver::read_file(kRootFile)));
  EXPECT_FALSE(driver::window_text(result).empty());
}

TEST_F(Query, CommandLineTooLongForTheSystemIsReported) {
  ASSERT_TRUE(driver::write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  expect_box(run_query(std::string(40000, '1')), kCannotRun);
  EXPECT_EQ(driver::window_text(result), "kept");
  EXPECT_EQ(driver::read_file(kRootFile), "earlier");
}

// Another program holds the file open for reading only: nobody else may write it.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path, const std::string& content) {
    driver::write_file(path, content);
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

TEST_F(Query, UnwritableRootFileFallsBackToTheTemporaryFolder) {
  for (bool directory : {false, true}) {
    SCOPED_TRACE(directory ? "a folder in the file's place" : "the file held by another program");
    remove_result_files();
    std::unique_ptr<HeldFile> held;
    if (directory) {
      ASSERT_TRUE(CreateDirectoryA(kRootFile.c_str(), nullptr));
    } else {
      held = std::make_unique<HeldFile>(kRootFile, "earlier");
      ASSERT_TRUE(held->held());
    }
    EXPECT_EQ(run_query("127.0.0.1 -n 1"), nullptr);
    const std::string fallback = driver::read_file(temp_file());
    EXPECT_NE(fallback.find("Reply from 127.0.0.1"), std::string::npos);
    EXPECT_EQ(driver::window_text(result), shown_part(fallback));
    if (!directory) {
      EXPECT_EQ(driver::read_file(kRootFile), "earlier");
    }
    held.reset();
    RemoveDirectoryA(kRootFile.c_str());
  }
}

TEST_F(Query, NoWritableResultFileIsReportedNotAnEarlierResult) {
  HeldFile root(kRootFile, "earlier root result");
  HeldFile temp(temp_file(), "earlier temporary result");
  ASSERT_TRUE(root.held() && temp.held());
  set_text(result, "kept");
  expect_box(run_query("127.0.0.1 -n 1"), kCannotRead + temp_file());
  EXPECT_EQ(driver::window_text(result), "kept");
}

TEST_F(Query, WindowsStayAliveWhilePingRunsAndClosingEndsIt) {
  set_text(address, "127.0.0.1 -n 600");
  driver::bring_to_front(main);
  PostMessageA(query, BM_CLICK, 0, 0);
  ASSERT_TRUE(driver::wait_until([&] { return query_running(); }));
  // The ping runs under the command interpreter the program started.
  DWORD cmd = 0;
  DWORD ping = 0;
  ASSERT_TRUE(driver::wait_until([&] {
    for (const auto& [pid, name] : driver::child_processes(program.pid())) {
      if (_stricmp(name.c_str(), "cmd.exe") == 0) cmd = pid;
    }
    for (const auto& [pid, name] : driver::child_processes(cmd)) {
      if (_stricmp(name.c_str(), "ping.exe") == 0) ping = pid;
    }
    return cmd != 0 && ping != 0;
  }));
  // Still answering, buttons disabled, window movable.
  EXPECT_TRUE(driver::settle(main, 2000));
  EXPECT_FALSE(IsWindowEnabled(help));
  EXPECT_TRUE(SetWindowPos(main, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_TRUE(driver::settle(main, 2000));
  RECT moved;
  GetWindowRect(main, &moved);
  EXPECT_EQ(moved.left, 10);

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.wait_exit(5000), 0u);
  EXPECT_TRUE(driver::wait_until([&] { return !driver::process_alive(cmd) && !driver::process_alive(ping); }, 5000));
}

TEST_F(Query, ButtonsAndFocusComeBackAfterTheQuery) {
  driver::bring_to_front(main);
  set_text(address, "127.0.0.1 -n 1");
  ASSERT_EQ(driver::focus_of(main), address);
  driver::press(VK_TAB);  // the result box
  driver::press(VK_TAB);  // the query button
  ASSERT_EQ(driver::focus_of(main), query);
  driver::press(VK_SPACE);
  ASSERT_TRUE(driver::wait_until([&] { return !driver::window_text(result).empty(); }, 30000));
  ASSERT_TRUE(driver::wait_until([&] { return IsWindowEnabled(query) && IsWindowEnabled(help); }));
  EXPECT_EQ(driver::focus_of(main), query);
}

TEST_F(Query, ManyQueriesInARowEachShowAFreshResult) {
  const char* addresses[] = {"127.0.0.1 -n 1", "localhost -n 1"};
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    const char* text = addresses[i % 2];
    ASSERT_EQ(run_query(text), nullptr);
    const std::string shown = driver::window_text(result);
    ASSERT_EQ(shown, shown_part(driver::read_file(kRootFile)));
    ASSERT_NE(shown.find(i % 2 == 0 ? "Pinging 127.0.0.1" : "Pinging localhost"), std::string::npos) << shown;
    ASSERT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
  }
}

}  // namespace
