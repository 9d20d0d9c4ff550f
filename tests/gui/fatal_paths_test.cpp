// The ways a program stops on an error it cannot go on after: the box it shows, what it leaves
// behind and its exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

constexpr DWORD kFatalExitCode = 0xFFFFFFFF;

// The box's text as the program passes it. Wine's static control shows it with the final line
// break, so the comparison is exact.
struct StartFailure {
  const char* name;
  const char* program;
  const char* text;
};

const StartFailure kStartFailures[] = {
    {"broken template data", "tests/programs/broken_templates/broken_templates.exe",
     "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n"},
    {"first window without a template", "tests/programs/missing_first_window/missing_first_window.exe",
     "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
};

class StartFailures : public testing::TestWithParam<StartFailure> {};

TEST_P(StartFailures, ShowOnlyTheErrorBoxAndEndWithMinusOneAfterOk) {
  Program program(driver::program_path(GetParam().program));
  ASSERT_TRUE(program.started());
  const HWND box = program.wait_message_box();
  ASSERT_NE(box, nullptr);
  const driver::MessageBoxContent content = driver::read_message_box(box);
  EXPECT_EQ(content.title, "错误");
  EXPECT_EQ(content.text, GetParam().text);
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_EQ(program.top_level_windows(), std::vector<HWND>{box});

  driver::answer_message_box(box);
  EXPECT_EQ(program.wait_exit(), kFatalExitCode);
}

INSTANTIATE_TEST_SUITE_P(Programs, StartFailures, testing::ValuesIn(kStartFailures),
                         [](const testing::TestParamInfo<StartFailure>& param_info) {
                           std::string name = param_info.param.name;
                           std::replace(name.begin(), name.end(), ' ', '_');
                           return name;
                         });

// A program that holds a file without sharing and asks, on a click, for memory its heap cannot
// give. The end routine leaves a mark when it runs.
class OutOfMemory : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetEnvironmentVariableA("IPL_OOM_FOLDER", folder.path().c_str()));
    program = std::make_unique<Program>(driver::program_path("tests/programs/out_of_memory/out_of_memory.exe"));
    ASSERT_TRUE(program->started());
    window = program->wait_window("IplWindow", "内存窗口");
    ASSERT_NE(window, nullptr);
  }

  // True when nobody else has the file open: an exclusive open succeeds.
  bool free_to_open_exclusively(const std::string& path) const {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

  bool exists(const std::string& path) const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  driver::TempFolder folder;
  const std::string held = folder.file("held.txt");
  const std::string mark = folder.file("end-routine-ran.txt");
  std::unique_ptr<Program> program;
  HWND window = nullptr;
};

// Without this, the mark's absence after the fatal end would prove nothing.
TEST_F(OutOfMemory, NormalEndRunsTheEndRoutineAndReleasesTheFile) {
  EXPECT_TRUE(exists(held));
  EXPECT_FALSE(free_to_open_exclusively(held));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->wait_exit(), 0u);
  EXPECT_TRUE(exists(mark));
  EXPECT_TRUE(free_to_open_exclusively(held));
}

struct RefusedAllocation {
  const char* button;
  const char* text;
};

const RefusedAllocation kRefusedAllocations[] = {
    {"分配", "运行时出错!\r\n\r\n错误信息：分配 100 字节内存失败!\r\n"},
    {"负数", "运行时出错!\r\n\r\n错误信息：分配 -1 字节内存失败!\r\n"},
};

class RefusedAllocations : public OutOfMemory, public testing::WithParamInterface<RefusedAllocation> {};

TEST_P(RefusedAllocations, ShowTheSizeAndEndWithoutTheEndRoutine) {
  const HWND button = driver::child_with_text(window, GetParam().button);
  ASSERT_NE(button, nullptr);
  PostMessageA(button, BM_CLICK, 0, 0);
  const HWND box = program->wait_message_box();
  ASSERT_NE(box, nullptr);
  const driver::MessageBoxContent content = driver::read_message_box(box);
  EXPECT_EQ(content.title, "错误");
  EXPECT_EQ(content.text, GetParam().text);
  // The clean-up comes after the box: until it is answered the file stays held.
  EXPECT_FALSE(free_to_open_exclusively(held));
  EXPECT_FALSE(exists(mark));

  driver::answer_message_box(box);
  EXPECT_EQ(program->wait_exit(), kFatalExitCode);
  EXPECT_FALSE(exists(mark));
  EXPECT_TRUE(free_to_open_exclusively(held));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RefusedAllocations, testing::ValuesIn(kRefusedAllocations),
                         [](const testing::TestParamInfo<RefusedAllocation>& param_info) {
                           return param_info.index == 0 ? std::string("Exhausted") : std::string("Negative");
                         });

}  // namespace
