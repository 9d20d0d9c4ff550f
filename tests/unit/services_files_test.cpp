// Opening files into the open-file table, and reading text from them, on real files in a fresh
// folder whose name has GBK characters in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/handle.h"
#include "shell/open_files.h"

namespace {

using namespace std::string_literals;

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    folder_ =
        std::string(temp) + "IP延迟-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
  }

  void TearDown() override {
    shell::close_all_open_files();
    for (const std::string& name : made_) DeleteFileA(name.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  // A path in the folder; the file is removed at the end whether the test made it or not.
  std::string path(const std::string& name) {
    made_.push_back(folder_ + "\\" + name);
    return made_.back();
  }

  std::string make_file(const std::string& name, const std::string& bytes) {
    const std::string file = path(name);
    services::FileHandle handle{CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    EXPECT_TRUE(handle) << file;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    return file;
  }

  std::string folder_;
  std::vector<std::string> made_;
};

bool exists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::int64_t size_of(const std::string& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::int64_t position_of(std::int32_t number) {
  LARGE_INTEGER zero{};
  LARGE_INTEGER now{};
  if (!SetFilePointerEx(shell::find_open_file(number), zero, &now, FILE_CURRENT)) return -1;
  return now.QuadPart;
}

bool can_read(HANDLE file) {
  char byte = 0;
  DWORD read = 0;
  return ReadFile(file, &byte, 1, &read, nullptr) != FALSE;
}

bool can_write(HANDLE file) {
  DWORD written = 0;
  return WriteFile(file, "z", 1, &written, nullptr) != FALSE && written == 1;
}

// A second opener, asking for exactly one access and allowing everything to the first.
bool second_open_allowed(const std::string& file, DWORD access) {
  const services::FileHandle handle{CreateFileA(file.c_str(), access,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, 0, nullptr)};
  return static_cast<bool>(handle);
}

std::string shown(const shell::Text& text) {
  return text ? testing::PrintToString(std::string(text.get())) : "(absent)";
}

}  // namespace

TEST_F(FilesTest, OpenModesGrantTheirAccessAndCreateOrEmptyAsTheySay) {
  struct Case {
    std::int32_t mode;
    bool exists_before;
    bool opens;
    std::int64_t size_after;  // -1: still no file
    bool reads;
    bool writes;
  };
  const Case cases[] = {
      {1, true, true, 7, true, false},     {1, false, false, -1, false, false}, {2, true, true, 7, false, true},
      {2, false, false, -1, false, false}, {3, true, true, 7, true, true},      {3, false, false, -1, false, false},
      {4, true, true, 0, false, true},     {4, false, true, 0, false, true},    {5, true, true, 7, false, true},
      {5, false, true, 0, false, true},    {6, true, true, 7, true, true},      {6, false, true, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "open mode " << c.mode << (c.exists_before ? ", file exists" : ", no file"));
    const std::string name = "mode" + std::to_string(c.mode) + (c.exists_before ? "-old" : "-new") + ".txt";
    const std::string file = c.exists_before ? make_file(name, "content") : path(name);

    const std::int32_t number = services::open_file(file.c_str(), c.mode);
    EXPECT_EQ(number != 0, c.opens);
    EXPECT_EQ(size_of(file), c.size_after);
    if (number == 0) continue;
    const HANDLE handle = shell::find_open_file(number);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(can_read(handle), c.reads);
    EXPECT_EQ(can_write(handle), c.writes);
    EXPECT_TRUE(services::close_file(number));
  }
}

TEST_F(FilesTest, ShareModesLetOthersDoOnlyWhatTheySay) {
  struct Case {
    std::int32_t share;
    bool others_read;
    bool others_write;
  };
  const Case cases[] = {{1, true, true}, {2, false, true}, {3, true, false}, {4, false, false}};
  const std::string file = make_file("shared.txt", "content");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "share mode " << c.share);
    const std::int32_t number = services::open_file(file.c_str(), 3, c.share);
    ASSERT_NE(number, 0);
    EXPECT_EQ(second_open_allowed(file, GENERIC_READ), c.others_read);
    EXPECT_EQ(second_open_allowed(file, GENERIC_WRITE), c.others_write);
    EXPECT_TRUE(services::close_file(number));
  }
}

TEST_F(FilesTest, RejectsEmptyNamesAndModesOutOfRangeWithoutOpeningAnything) {
  const std::string old_file = make_file("old.txt", "content");
  const std::string new_file = path("new.txt");
  struct Case {
    const char* name;
    std::int32_t mode;
    std::int32_t share;
  };
  const Case cases[] = {
      {nullptr, 6, 1},          {"", 6, 1},
      {new_file.c_str(), 0, 1}, {new_file.c_str(), 7, 1},
      {new_file.c_str(), 6, 0}, {new_file.c_str(), 6, 5},
      {old_file.c_str(), 0, 1}, {old_file.c_str(), 7, 1},
      {old_file.c_str(), 3, 0}, {old_file.c_str(), 3, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(services::open_file(c.name, c.mode, c.share), 0)
        << (c.name ? c.name : "(absent)") << " mode " << c.mode << " share " << c.share;
  }
  EXPECT_FALSE(exists(new_file));
  EXPECT_EQ(size_of(old_file), 7);
  // Nothing holds the file open: a leaked handle without delete sharing would refuse this.
  EXPECT_TRUE(DeleteFileA(old_file.c_str()));
}

TEST_F(FilesTest, DefaultOpenNeverCreates) {
  const std::string file = path("missing.txt");
  EXPECT_EQ(services::open_file(file.c_str()), 0);
  EXPECT_FALSE(exists(file));
}

TEST_F(FilesTest, TheSameFileOpensTwiceWithTwoUsableNumbers) {
  const std::string file = make_file("twice.txt", "content");
  const std::int32_t first = services::open_file(file.c_str());
  const std::int32_t second = services::open_file(file.c_str());
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_NE(first, second);
  // Each has a position of its own.
  const shell::Text from_first = services::read_text(first);
  const shell::Text from_second = services::read_text(second);
  ASSERT_NE(from_first, nullptr);
  ASSERT_NE(from_second, nullptr);
  EXPECT_STREQ(from_first.get(), "content");
  EXPECT_STREQ(from_second.get(), "content");
}

TEST_F(FilesTest, CloseFileClosesOneAndTheCleanUpClosesTheRest) {
  const std::string a = make_file("a.txt", "a");
  const std::string b = make_file("b.txt", "b");
  const std::string c = make_file("c.txt", "c");
  const std::int32_t na = services::open_file(a.c_str());
  const std::int32_t nb = services::open_file(b.c_str());
  const std::int32_t nc = services::open_file(c.c_str());
  ASSERT_NE(na, 0);
  ASSERT_NE(nb, 0);
  ASSERT_NE(nc, 0);

  EXPECT_TRUE(services::close_file(na));
  EXPECT_FALSE(services::close_file(na));
  EXPECT_EQ(shell::find_open_file(na), nullptr);
  EXPECT_NE(shell::find_open_file(nb), nullptr);
  EXPECT_TRUE(DeleteFileA(a.c_str()));
  EXPECT_FALSE(DeleteFileA(b.c_str()));  // still open, without delete sharing

  shell::close_all_open_files();
  EXPECT_EQ(shell::find_open_file(nb), nullptr);
  EXPECT_EQ(shell::find_open_file(nc), nullptr);
  EXPECT_TRUE(DeleteFileA(b.c_str()));
  EXPECT_TRUE(DeleteFileA(c.c_str()));
}

// One read of read_text and what it should leave: the text (nullopt: absent) and the position.
struct Read {
  std::optional<std::int32_t> length;
  std::optional<std::string> text;
  std::int64_t position_after;
};

struct ReadCase {
  const char* what;
  std::string content;
  std::vector<Read> reads;
};

TEST_F(FilesTest, ReadTextStopsAtTheEndingByteAndLeavesThePositionOnIt) {
  const std::string gbk = "服务器IP\r\n"s;
  const std::int64_t gbk_end = static_cast<std::int64_t>(gbk.size());
  const ReadCase cases[] = {
      {"0x1A ends, and stays the end", std::string("abc\x1A") + "def", {{{}, "abc", 3}, {{}, {}, 3}}},
      {"a zero byte ends", "ab\0cd"s, {{{}, "ab", 2}}},
      {"a first byte before a zero is dropped", "a\xD6\0"s, {{{}, "a", 2}}},
      {"0x1A as a second byte is kept", std::string("\xB0\x1A") + "x", {{{}, std::string("\xB0\x1A") + "x", 3}}},
      {"a GBK text is read whole", gbk, {{{}, gbk, gbk_end}, {{}, {}, gbk_end}}},
      {"an empty file gives nothing", ""s, {{{}, {}, 0}}},
      {"lengths of 0 and less touch nothing", "abcdef"s, {{0, {}, 0}, {-1, {}, 0}}},
      {"a given length reads only that much, an omitted one the rest",
       "abcdef"s,
       {{2, "ab", 2}, {{}, "cdef", 6}, {{}, {}, 6}}},
      {"a length that splits a character keeps its first byte", "\xB0\xA1z"s, {{1, "\xB0", 1}, {{}, "\xA1z", 3}}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = make_file("read.txt", c.content);
    const std::int32_t number = services::open_file(file.c_str());
    ASSERT_NE(number, 0);
    for (const Read& r : c.reads) {
      const shell::Text text = services::read_text(number, r.length);
      if (r.text) {
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text.get()), *r.text);
      } else {
        EXPECT_EQ(text, nullptr) << shown(text);
      }
      EXPECT_EQ(position_of(number), r.position_after);
    }
    EXPECT_TRUE(services::close_file(number));
  }
}

TEST_F(FilesTest, ReadTextOfAWriteOnlyFileFailsAndMovesToTheEnd) {
  const std::string file = make_file("write-only.txt", "abcdef");
  const std::int32_t number = services::open_file(file.c_str(), 2);
  ASSERT_NE(number, 0);
  EXPECT_EQ(services::read_text(number), nullptr);
  EXPECT_EQ(position_of(number), 6);
  EXPECT_EQ(services::read_text(number, 3), nullptr);
  EXPECT_EQ(position_of(number), 6);
}

TEST_F(FilesTest, ReadTextOfNoOpenFileIsAbsent) {
  EXPECT_EQ(services::read_text(0), nullptr);
  const std::string file = make_file("closed.txt", "abc");
  const std::int32_t number = services::open_file(file.c_str());
  ASSERT_NE(number, 0);
  ASSERT_TRUE(services::close_file(number));
  EXPECT_EQ(services::read_text(number), nullptr);
}

// The length is a signed 32-bit count; a cut length would read the first bytes of the file.
TEST_F(FilesTest, ReadTextOfAFileTooLongForALengthFailsAtTheEnd) {
  const std::string file = path("long.bin");
  const std::int64_t size = (std::int64_t{1} << 32) + 5;
  {
    const services::FileHandle handle{CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
    ASSERT_TRUE(handle);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(handle.get(), end, nullptr, FILE_BEGIN));
    if (!SetEndOfFile(handle.get())) GTEST_SKIP() << "no room for a sparse file of 4 GiB here";
  }
  const std::int32_t number = services::open_file(file.c_str(), 1);
  ASSERT_NE(number, 0);
  EXPECT_EQ(services::read_text(number), nullptr);
  EXPECT_EQ(position_of(number), size);
}
