// The program file's own resources: the six-image icon and the version, read from the built
// program as data.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

std::string program_file() {
  std::string path = "Z:";
  for (const char* p = IPL_PROGRAM_FILE; *p != '\0'; ++p) path += *p == '/' ? '\\' : *p;
  return path;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)

TEST(Resources, IconHoldsSixImagesAtThreeSizesAndTwoDepths) {
  HMODULE program = LoadLibraryExA(program_file().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << GetLastError();
  HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ASSERT_NE(group, nullptr);
  const auto* header = static_cast<const GroupIconHeader*>(LockResource(LoadResource(program, group)));
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(header->count, 6);
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  std::set<std::pair<int, int>> found;
  for (int i = 0; i < header->count; ++i) found.emplace(entries[i].width, entries[i].bit_count);
  const std::set<std::pair<int, int>> expected = {{48, 8}, {48, 32}, {32, 8}, {32, 32}, {16, 8}, {16, 32}};
  EXPECT_EQ(found, expected);
  // Each size loads as an icon the system can use.
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr) << size;
    if (icon != nullptr) DestroyIcon(icon);
  }
  FreeLibrary(program);
}

TEST(Resources, VersionIsOneZeroZeroZero) {
  const std::string file = program_file();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\080403a8\\FileVersion", reinterpret_cast<void**>(&text),
                             &length));
  EXPECT_STREQ(text, "1.0.0.0");
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\080403a8\\OriginalFilename",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, "iplatency.exe");
}

}  // namespace
