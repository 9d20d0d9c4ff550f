// The latency query through the real program: what the result box shows, the warnings, the
// result file and its place, and the windows staying alive while ping runs.
#include <gtest/gtest.h>

#include <memory>

#include "tests/gui/query_fixture.h"

namespace {

using namespace driver;

using Query = QueryFixture;

struct ShownCase {
  const char* address;
  const char* expected_part;
};

TEST_F(Query, ShowsPingOutputAsTheResultFileHoldsIt) {
  const ShownCase cases[] = {
      {"127.0.0.1 -n 1", "Reply from 127.0.0.1"},
      {"localhost -n 1", "Reply from 127.0.0.1"},
      {"::1", "::1"},                    // this system's ping is IPv4 only: its complaint
      {"127.0.0.1:80", "127.0.0.1:80"},  // the port is passed on; ping complains
      {"   ", ""},                       // blanks only: ping's usage text
      {"127.0.0.1 -n 2", "Reply from 127.0.0.1"},
  };
  for (const ShownCase& c : cases) {
    SCOPED_TRACE(c.address);
    if (HWND box = run_query(c.address)) ADD_FAILURE() << describe_box(box);
    const std::string file = read_file(kRootFile);
    EXPECT_FALSE(file.empty());
    EXPECT_EQ(window_text(result), shown_part(file));
    EXPECT_NE(window_text(result).find(c.expected_part), std::string::npos);
    // The program no longer holds the file: another process may delete it.
    EXPECT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
  }
}

TEST_F(Query, SecondQueryShowsOnlyItsOwnOutput) {
  if (HWND box = run_query("127.0.0.1 -n 2")) FAIL() << describe_box(box);
  if (HWND box = run_query("localhost -n 1")) FAIL() << describe_box(box);
  const std::string shown = window_text(result);
  EXPECT_NE(shown.find("localhost"), std::string::npos);
  std::size_t replies = 0;
  for (std::size_t at = shown.find("Reply from"); at != std::string::npos; at = shown.find("Reply from", at + 1)) {
    ++replies;
  }
  EXPECT_EQ(replies, 1u);
}

TEST_F(Query, EmptyAddressWarnsAndTouchesNothing) {
  ASSERT_TRUE(write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  expect_box(run_query("", 60000, true), kNoAddress);
  EXPECT_EQ(window_text(result), "kept");
  EXPECT_EQ(read_file(kRootFile), "earlier");
}

TEST_F(Query, AddressWithCommandSyntaxIsNotRun) {
  ASSERT_TRUE(write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  const char* unsafe[] = {"127.0.0.1 & echo x", "127.0.0.1 | more", "127.0.0.1 < x", "127.0.0.1 > x",
                          "127.0.0.1 ^",        "\"127.0.0.1\"",    "%PATH%",        "127.0.0.1\t-n 1"};
  for (const char* text : unsafe) {
    SCOPED_TRACE(text);
    expect_box(run_query(text, 60000, true), kUnsafe);
    EXPECT_EQ(window_text(result), "kept");
    EXPECT_EQ(read_file(kRootFile), "earlier");
  }
}

TEST_F(Query, DoubleByteCharacterWithASecondByteLikeABarRuns) {
  // 0x81 0x7C is one GBK character; its second byte is not the pipe sign.
  if (HWND box = run_query("\x81\x7C")) ADD_FAILURE() << describe_box(box);
  EXPECT_EQ(window_text(result), shown_part(read_file(kRootFile)));
  EXPECT_FALSE(window_text(result).empty());
}

TEST_F(Query, CommandLineTooLongForTheSystemIsReported) {
  ASSERT_TRUE(write_file(kRootFile, "earlier"));
  set_text(result, "kept");
  expect_box(run_query(std::string(40000, '1'), 60000, true), kCannotRun);
  EXPECT_EQ(window_text(result), "kept");
  EXPECT_EQ(read_file(kRootFile), "earlier");
}

// Another program holds the file open for reading only: nobody else may write it.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path, const std::string& content) {
    write_file(path, content);
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
    if (HWND box = run_query("127.0.0.1 -n 1")) ADD_FAILURE() << describe_box(box);
    const std::string fallback = read_file(temp_result_file());
    EXPECT_NE(fallback.find("Reply from 127.0.0.1"), std::string::npos);
    EXPECT_EQ(window_text(result), shown_part(fallback));
    if (!directory) {
      EXPECT_EQ(read_file(kRootFile), "earlier");
    }
    held.reset();
    RemoveDirectoryA(kRootFile.c_str());
  }
}

TEST_F(Query, NoWritableResultFileIsReportedNotAnEarlierResult) {
  HeldFile root(kRootFile, "earlier root result");
  HeldFile temp(temp_result_file(), "earlier temporary result");
  ASSERT_TRUE(root.held() && temp.held());
  set_text(result, "kept");
  expect_box(run_query("127.0.0.1 -n 1", 60000, true), kCannotRead + temp_result_file());
  EXPECT_EQ(window_text(result), "kept");
}

TEST_F(Query, WindowsStayAliveWhilePingRunsAndClosingEndsIt) {
  set_text(address, "127.0.0.1 -n 600");
  bring_to_front(main);
  PostMessageA(query, BM_CLICK, 0, 0);
  ASSERT_TRUE(wait_until([&] { return !IsWindowEnabled(query); }));
  // The ping runs under the command interpreter the program started.
  const auto [cmd, ping] = wait_for_ping(program->pid());
  ASSERT_TRUE(cmd != 0 && ping != 0);
  // Still answering, buttons disabled, window movable.
  EXPECT_TRUE(settle(main, 2000));
  EXPECT_FALSE(IsWindowEnabled(help));
  EXPECT_TRUE(SetWindowPos(main, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_TRUE(settle(main, 2000));
  RECT moved;
  GetWindowRect(main, &moved);
  EXPECT_EQ(moved.left, 10);

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->wait_exit(5000), 0u);
  EXPECT_TRUE(wait_until([&] { return !process_alive(cmd) && !process_alive(ping); }, 5000));
}

TEST_F(Query, ButtonsAndFocusComeBackAfterTheQuery) {
  bring_to_front(main);
  set_text(address, "127.0.0.1 -n 1");
  ASSERT_EQ(focus_of(main), address);
  press(VK_TAB);  // the result box
  press(VK_TAB);  // the query button
  ASSERT_EQ(focus_of(main), query);
  press(VK_SPACE);
  ASSERT_TRUE(wait_until([&] { return !window_text(result).empty(); }, 30000));
  ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(query) && IsWindowEnabled(help); }));
  EXPECT_EQ(focus_of(main), query);
}

TEST_F(Query, ManyQueriesInARowEachShowAFreshResult) {
  const char* addresses[] = {"127.0.0.1 -n 1", "localhost -n 1"};
  std::vector<std::string> hiccups;
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(i);
    const char* text = addresses[i % 2];
    if (HWND box = run_query_again_once(text, hiccups)) FAIL() << describe_box(box);
    const std::string shown = window_text(result);
    ASSERT_EQ(shown, shown_part(read_file(kRootFile)));
    ASSERT_NE(shown.find(i % 2 == 0 ? "Pinging 127.0.0.1" : "Pinging localhost"), std::string::npos) << shown;
    ASSERT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
  }
  EXPECT_LE(hiccups.size(), 1u);
}

}  // namespace
