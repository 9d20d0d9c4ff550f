// Trying to break the program: result files of every shape (through a stand-in ping placed
// beside a copy of the program, where the command interpreter finds it first), odd addresses,
// the program killed during a query, and many queries in a row.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/gui/query_fixture.h"

#include <psapi.h>

namespace {

using namespace driver;

// A copy of the program in a folder of its own, with the stand-in ping beside it.
class WithStandInPing : public QueryFixture {
 protected:
  std::string program_to_start() override {
    const std::string copy = folder.file("iplatency.exe");
    CopyFileA(program_path("tool/iplatency.exe").c_str(), copy.c_str(), FALSE);
    CopyFileA(program_path("tests/programs/fake_ping/ping.exe").c_str(), folder.file("ping.exe").c_str(), FALSE);
    return copy;
  }
  TempFolder folder;
};

struct FileShape {
  const char* address;
  std::string shown;
};

TEST_F(WithStandInPing, ResultFilesOfEveryShape) {
  const FileShape shapes[] = {
      {"eof", "abc"},           // 0x1A ends the text
      {"zero", "ab"},           // so does a zero byte
      {"leadzero", "a"},        // a lead byte before a zero is dropped
      {"gbk", "服务器IP\r\n"},  // GBK text byte for byte
      {"127.0.0.1", "fake ping: 127.0.0.1\r\n"},
  };
  for (const FileShape& shape : shapes) {
    SCOPED_TRACE(shape.address);
    if (HWND box = run_query(shape.address)) ADD_FAILURE() << describe_box(box);
    EXPECT_EQ(window_text(result), shape.shown);
    EXPECT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
  }
}

TEST_F(WithStandInPing, LoneLeadByteAtTheEndIsKeptAsOneCharacter) {
  // The box cannot show half a character: the system puts its replacement character there.
  if (HWND box = run_query("lead")) ADD_FAILURE() << describe_box(box);
  const std::string shown = window_text(result);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], 'a');
  EXPECT_NE(shown[1], '\0');
}

TEST_F(WithStandInPing, EmptyResultFileIsReported) {
  set_text(result, "kept");
  expect_box(run_query("empty", 60000, true), kCannotRead + kRootFile);
  EXPECT_EQ(window_text(result), "kept");
  // Still usable.
  if (HWND box = run_query("gbk")) ADD_FAILURE() << describe_box(box);
  EXPECT_EQ(window_text(result), "服务器IP\r\n");
}

TEST_F(WithStandInPing, TenMebibytesOfOutputAreShownWhole) {
  if (HWND box = run_query("big", 300000)) FAIL() << describe_box(box);
  const std::string file = read_file(kRootFile);
  ASSERT_GT(file.size(), 10u * 1024 * 1024 - 100);
  DWORD_PTR length = 0;
  ASSERT_TRUE(SendMessageTimeoutA(result, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 60000, &length));
  EXPECT_EQ(length, file.size());
  EXPECT_TRUE(DeleteFileA(kRootFile.c_str()));
  if (HWND box = run_query("eof")) ADD_FAILURE() << describe_box(box);
  EXPECT_EQ(window_text(result), "abc");
}

TEST_F(WithStandInPing, KilledDuringAQueryLeavesNoCommandBehind) {
  set_text(address, "slow");
  PostMessageA(query, BM_CLICK, 0, 0);
  const auto [cmd, ping] = wait_for_ping(program->pid());
  ASSERT_TRUE(cmd != 0 && ping != 0);
  program->kill();
  EXPECT_TRUE(wait_until([&] { return !process_alive(cmd) && !process_alive(ping); }, 5000));
}

TEST_F(QueryFixture, OddAddressesGiveTheirTextOrAClearMessage) {
  struct Case {
    std::string address;
    const char* box;  // the expected message, or null for ping's own output
  };
  const Case cases[] = {
      {"", kNoAddress.c_str()},
      {"   ", nullptr},
      {std::string("127.0.0.1\x01"), kUnsafe.c_str()},
      {std::string("\x1B"), kUnsafe.c_str()},
      {std::string(100000, '7'), kCannotRun.c_str()},
      {"服务器", nullptr},
      {"::1", nullptr},
      {"localhost -n 1", nullptr},
      {"127.0.0.1:8080", nullptr},
      {"127.0.0.1 -n 1 -w 500", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address.substr(0, 40));
    set_text(result, "");
    HWND box = run_query(c.address, 120000);
    if (c.box != nullptr) {
      expect_box(box, c.box);
    } else {
      EXPECT_EQ(box, nullptr);
      EXPECT_EQ(window_text(result), shown_part(read_file(kRootFile)));
      EXPECT_FALSE(window_text(result).empty());
    }
    EXPECT_TRUE(settle(main));
  }
}

SIZE_T private_bytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage;
}

TEST_F(QueryFixture, FiveHundredQueriesStayFreshAndFlat) {
  SIZE_T settled = 0;
  std::vector<std::string> hiccups;
  for (int i = 0; i < 500; ++i) {
    SCOPED_TRACE(i);
    const bool odd = i % 2 != 0;
    if (HWND box = run_query_again_once(odd ? "localhost -n 1" : "127.0.0.1 -n 1", hiccups)) {
      FAIL() << describe_box(box);
    }
    const std::string shown = window_text(result);
    ASSERT_NE(shown.find(odd ? "Pinging localhost" : "Pinging 127.0.0.1"), std::string::npos) << shown;
    ASSERT_EQ(shown, shown_part(read_file(kRootFile)));
    ASSERT_TRUE(DeleteFileA(kRootFile.c_str())) << GetLastError();
    ASSERT_TRUE(wait_until([&] { return child_processes(program->pid()).empty(); }, 5000));
    if (i == 49) settled = private_bytes(program->process());
  }
  EXPECT_LE(hiccups.size(), 2u);
  const SIZE_T last = private_bytes(program->process());
  // Allowing for the heap's own slack; a leak of one result per query would be ~250 KiB here.
  EXPECT_LT(last, settled + 1024 * 1024) << "after 50: " << settled << ", after 500: " << last;
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->wait_exit(), 0u);
}

}  // namespace
