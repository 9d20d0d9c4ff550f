// Windows opened as dialogs and the life of windows: owners, the disabled state of the other
// windows, when loading returns, refused and granted close requests, building afresh, and the
// end of the program. The probe program logs each step of its handlers.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

class ModalProbe : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetEnvironmentVariableA("IPL_PROBE_LOG", log_path.c_str()));
    program = std::make_unique<Program>(driver::program_path("tests/programs/modal_probe/modal_probe.exe"));
    ASSERT_TRUE(program->started()) << "CreateProcessA failed: " << GetLastError();
    main = program->wait_window("IplWindow", "探针主窗口");
    ASSERT_NE(main, nullptr);
  }

  std::vector<std::string> log() const {
    std::vector<std::string> lines;
    const std::string text = driver::read_file(log_path);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
  int count(const std::string& line) const {
    const std::vector<std::string> lines = log();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }
  bool wait_logged(const std::string& line, int times = 1) const {
    return driver::wait_until([&] { return count(line) >= times; });
  }
  // The log from the first occurrence of `first` on.
  std::vector<std::string> log_from(const std::string& first) const {
    std::vector<std::string> lines = log();
    lines.erase(lines.begin(), std::find(lines.begin(), lines.end(), first));
    return lines;
  }

  // Posted, since the click may run a modal loop.
  void click(HWND top, const char* caption) const {
    const HWND button = driver::child_with_text(top, caption);
    ASSERT_NE(button, nullptr) << caption;
    PostMessageA(button, BM_CLICK, 0, 0);
  }

  HWND open_dialog() const {
    click(main, "打开对话框");
    const HWND dialog = program->wait_window("IplWindow", "对话框");
    // Modality is in place once the main window is disabled.
    if (dialog != nullptr) driver::wait_until([&] { return !IsWindowEnabled(main); });
    return dialog;
  }

  HWND open_second() const {
    const int before = count("second loaded and disabled");
    click(main, "打开次窗口");
    if (!wait_logged("second loaded and disabled", before + 1)) return nullptr;
    return program->wait_window("IplWindow", "次窗口");
  }

  // Close requests until the window is gone (the dialog refuses the program's first one).
  bool close(HWND window, int requests) const {
    for (int i = 0; i < requests; ++i) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      driver::settle(window, 2000);
    }
    return driver::wait_until([&] { return !IsWindow(window); }, 5000);
  }

  bool still_running() const { return program->wait_exit(300) == STILL_ACTIVE && driver::settle(main); }

  driver::TempFolder folder;
  const std::string log_path = folder.file("probe.log");
  std::unique_ptr<Program> program;
  HWND main = nullptr;
};

TEST_F(ModalProbe, DialogIsOwnedByTheHiddenOwnerNotByTheMainWindow) {
  const HWND second = open_second();
  ASSERT_NE(second, nullptr);
  const HWND dialog = open_dialog();
  ASSERT_NE(dialog, nullptr);

  const HWND owner = GetWindow(dialog, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_NE(owner, main);
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(owner, &owner_pid);
  EXPECT_EQ(owner_pid, program->pid());
  EXPECT_EQ(driver::class_of(owner), "IplHiddenOwner");
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_NE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);

  // A window kept off the taskbar has the same owner; the main window, on the taskbar, has none.
  EXPECT_EQ(GetWindow(second, GW_OWNER), owner);
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & WS_POPUP, 0);
}

TEST_F(ModalProbe, DialogDisablesEveryParentlessWindowAndGivesEachBackItsEarlierState) {
  const HWND second = open_second();
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(IsWindowEnabled(main));
  ASSERT_FALSE(IsWindowEnabled(second));

  const HWND dialog = open_dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  for (const HWND window : program->top_level_windows()) {
    if (window == dialog || driver::class_of(window) != "IplWindow") continue;
    EXPECT_FALSE(IsWindowEnabled(window)) << driver::window_text(window);
  }

  ASSERT_TRUE(close(dialog, 2));
  EXPECT_TRUE(driver::wait_until([&] { return IsWindowEnabled(main) != FALSE; }));
  driver::settle(main);
  EXPECT_FALSE(IsWindowEnabled(second));
}

TEST_F(ModalProbe, LoadingReturnsOnlyAfterTheDialogClosesAndTheFirstCloseIsRefused) {
  const HWND dialog = open_dialog();
  ASSERT_NE(dialog, nullptr);
  driver::settle(dialog);
  EXPECT_EQ(count("dialog returned"), 0);

  PostMessageA(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(wait_logged("dialog can-close 1"));
  driver::settle(dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(count("dialog returned"), 0);

  PostMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(driver::wait_until([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(wait_logged("dialog returned"));
  const std::vector<std::string> expected = {"open dialog",        "dialog created",    "dialog can-close 1",
                                             "dialog can-close 2", "dialog destroying", "dialog returned"};
  EXPECT_EQ(log_from("open dialog"), expected);

  // Closing the dialog leaves the program running; closing its last window ends it.
  EXPECT_TRUE(still_running());
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->wait_exit(), 0u);
  EXPECT_EQ(log().back(), "main destroying");
}

TEST_F(ModalProbe, DialogIsBuiltAfreshEachTimeItOpens) {
  const HWND first = open_dialog();
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(close(first, 2));
  ASSERT_TRUE(wait_logged("dialog returned"));
  ASSERT_TRUE(driver::wait_until([&] { return IsWindowEnabled(main) != FALSE; }));

  const HWND again = open_dialog();
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, first);
  EXPECT_EQ(count("dialog created"), 2);
  EXPECT_FALSE(IsWindowEnabled(main));
  ASSERT_TRUE(close(again, 1));
  EXPECT_TRUE(wait_logged("dialog returned", 2));
  EXPECT_EQ(count("main created"), 1);
}

TEST_F(ModalProbe, LoadingAnOpenWindowBuildsNoSecondCopy) {
  ASSERT_NE(open_second(), nullptr);
  ASSERT_NE(open_second(), nullptr);
  EXPECT_EQ(count("second created"), 1);
  int copies = 0;
  for (const HWND window : program->top_level_windows()) copies += driver::window_text(window) == "次窗口";
  EXPECT_EQ(copies, 1);
}

TEST_F(ModalProbe, WindowClosingItselfWhileCreatedLeavesNothingBehind) {
  click(main, "打开自关窗口");
  ASSERT_TRUE(wait_logged("self-closing returned"));
  const std::vector<std::string> expected = {"open self-closing", "self-closing created", "self-closing closed",
                                             "self-closing returned"};
  EXPECT_EQ(log_from("open self-closing"), expected);
  EXPECT_EQ(program->wait_window("IplWindow", "自关窗口", 300), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(still_running());

  // The dialog path still works afterwards.
  const HWND dialog = open_dialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(close(dialog, 2));
  EXPECT_TRUE(wait_logged("dialog returned"));
}

TEST_F(ModalProbe, MainWindowClosedWhileTheDialogIsOpen) {
  const HWND dialog = open_dialog();
  ASSERT_NE(dialog, nullptr);
  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(driver::wait_until([&] { return !IsWindow(main); }));
  // The dialog is a window of its own: it stays, usable, and the program with it.
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindowEnabled(dialog));
  EXPECT_TRUE(driver::settle(dialog));
  EXPECT_EQ(program->wait_exit(300), STILL_ACTIVE);

  ASSERT_TRUE(close(dialog, 2));
  EXPECT_TRUE(wait_logged("dialog returned"));
  EXPECT_EQ(program->wait_exit(), 0u);
}

TEST_F(ModalProbe, OuterDialogClosedWhileTheNestedDialogIsOpen) {
  const HWND outer = open_dialog();
  ASSERT_NE(outer, nullptr);
  click(outer, "打开嵌套对话框");
  const HWND nested = program->wait_window("IplWindow", "嵌套对话框");
  ASSERT_NE(nested, nullptr);
  ASSERT_TRUE(driver::wait_until([&] { return !IsWindowEnabled(outer); }));

  ASSERT_TRUE(close(outer, 2));
  // The nested dialog is still modal: the main window stays disabled while it is open.
  driver::settle(nested);
  EXPECT_FALSE(IsWindowEnabled(main));

  ASSERT_TRUE(close(nested, 1));
  EXPECT_TRUE(wait_logged("nested returned"));
  // The outer dialog's loading returns too, and the main window is usable again.
  EXPECT_TRUE(wait_logged("dialog returned"));
  EXPECT_TRUE(driver::wait_until([&] { return IsWindowEnabled(main) != FALSE; }));
  EXPECT_TRUE(still_running());

  const HWND again = open_dialog();
  ASSERT_NE(again, nullptr);
  ASSERT_TRUE(close(again, 1));
  EXPECT_TRUE(wait_logged("dialog returned", 2));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program->wait_exit(), 0u);
}

TEST(FirstWindow, ClosingItselfWhileCreatedEndsTheProgramWithExitCodeZero) {
  driver::TempFolder folder;
  const std::string log_path = folder.file("probe.log");
  ASSERT_TRUE(SetEnvironmentVariableA("IPL_PROBE_LOG", log_path.c_str()));
  ASSERT_TRUE(SetEnvironmentVariableA("IPL_PROBE_FIRST", "self-closing"));
  Program program(driver::program_path("tests/programs/modal_probe/modal_probe.exe"));
  SetEnvironmentVariableA("IPL_PROBE_FIRST", nullptr);
  ASSERT_TRUE(program.started());
  EXPECT_EQ(program.wait_exit(), 0u);
  EXPECT_EQ(driver::read_file(log_path), "self-closing created\nself-closing closed\n");
}

}  // namespace
