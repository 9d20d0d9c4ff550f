// Where a program stands once started: its current directory is its own folder, whatever
// directory it was started from, also where that folder is the root of a drive or ends in a
// double-byte character whose second byte is a backslash.
#include <gtest/gtest.h>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

// A copy of a program, deleted at the end.
class ProgramCopy {
 public:
  ProgramCopy(const std::string& from, std::string to) : path_(std::move(to)) {
    copied_ = CopyFileA(from.c_str(), path_.c_str(), FALSE) != FALSE;
  }
  ~ProgramCopy() { DeleteFileA(path_.c_str()); }
  ProgramCopy(const ProgramCopy&) = delete;
  ProgramCopy& operator=(const ProgramCopy&) = delete;

  bool copied() const { return copied_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool copied_ = false;
};

TEST(ProgramStart, CurrentDirectoryIsTheProgramsFolderWhereverItLies) {
  ASSERT_EQ(GetACP(), 936u);
  driver::TempFolder started_from;
  const std::string double_byte_folder = started_from.file("\x81\x5C");
  ASSERT_TRUE(CreateDirectoryA(double_byte_folder.c_str(), nullptr));
  struct Case {
    const char* name;
    std::string folder;
  };
  const Case cases[] = {
      {"root of a drive", "C:"},
      {"second byte 0x5C", double_byte_folder},
  };
  const std::string probe = driver::program_path("tests/programs/modal_probe/modal_probe.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramCopy copy(probe, c.folder + "\\ipl-start-probe-" + std::to_string(GetCurrentProcessId()) + ".exe");
    ASSERT_TRUE(copy.copied()) << copy.path();
    Program program(copy.path(), started_from.path());
    ASSERT_TRUE(program.started());
    const HWND main = program.main_window();
    ASSERT_NE(main, nullptr);
    // The system keeps the current directory with a final separator.
    EXPECT_STRCASEEQ(driver::current_directory_of(program.process()).c_str(), (c.folder + "\\").c_str());
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.wait_exit(), 0u);
  }
}

}  // namespace
