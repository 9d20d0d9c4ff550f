// The help window: opened modally from the main window, centred on the screen, owned by the
// hidden owner window, with its two lines of help.
#include <gtest/gtest.h>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

const std::string kHelpText =
    "1.在输入IP时，请将XXX.XXX.XXX：XXX（例为IP）后面的：XXX删除！\r\n"
    "2.生成的文件将会放入C：\\的根目录，若删除本软件，可删除生成的文件！";

void click_at(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

class HelpWindow : public ::testing::Test {
 protected:
  Program program{driver::program_path("tool/iplatency.exe")};
  HWND main = nullptr;
  HWND help_button = nullptr;

  void SetUp() override {
    ASSERT_TRUE(program.started());
    main = program.main_window();
    ASSERT_NE(main, nullptr);
    help_button = driver::child_with_text(main, "帮助");
    ASSERT_NE(help_button, nullptr);
  }

  HWND open_help() {
    PostMessageA(help_button, BM_CLICK, 0, 0);
    HWND help = program.wait_window("IplWindow", "帮助");
    if (help != nullptr) driver::wait_until([&] { return !IsWindowEnabled(main); });
    return help;
  }

  void expect_centred(HWND window, int width, int height) {
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  }
};

TEST_F(HelpWindow, OpensCentredOnTheScreenOwnedByTheHiddenOwner) {
  SetWindowPos(main, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  driver::settle(main);
  HWND help = open_help();
  ASSERT_NE(help, nullptr);
  expect_centred(help, 160, 120);

  const HWND owner = GetWindow(help, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_NE(owner, main);
  EXPECT_EQ(driver::class_of(owner), "IplHiddenOwner");
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_NE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
  // Owned and not an application window: no taskbar button of its own.
  EXPECT_EQ(GetWindowLongA(help, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetParent(help), nullptr);

  const LONG style = GetWindowLongA(help, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN), WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP), 0);
}

TEST_F(HelpWindow, LabelHoldsTheTwoLinesOfHelp) {
  HWND help = open_help();
  ASSERT_NE(help, nullptr);
  const std::vector<driver::Child> controls = driver::children(help);
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_EQ(controls[0].class_name, "IplLabel");
  EXPECT_EQ(controls[0].text.size(), 129u);
  EXPECT_EQ(controls[0].text, kHelpText);
  EXPECT_EQ(controls[0].rect.left, 8);
  EXPECT_EQ(controls[0].rect.top, 8);
  EXPECT_EQ(controls[0].rect.right, 152);
  EXPECT_EQ(controls[0].rect.bottom, 88);
  EXPECT_EQ(controls[0].style & WS_TABSTOP, 0);
  driver::bring_to_front(help);
  EXPECT_FALSE(driver::screenshot(help, "help-window").empty());
}

TEST_F(HelpWindow, MainWindowTakesNoInputWhileHelpIsOpen) {
  HWND query = driver::child_with_text(main, "查看Ping（延迟）");
  HWND help = open_help();
  ASSERT_NE(help, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main));

  // A click on the query button starts nothing: no message box about the empty address.
  click_at(query);
  driver::settle(help);
  EXPECT_EQ(program.wait_window("#32770", nullptr, 500), nullptr);
  EXPECT_TRUE(driver::child_processes(program.pid()).empty());

  // Activating the main window activates the help window instead.
  SetForegroundWindow(main);
  EXPECT_TRUE(driver::wait_until([&] { return GetForegroundWindow() == help; }, 3000));

  PostMessageA(help, WM_CLOSE, 0, 0);
  EXPECT_TRUE(driver::wait_until([&] { return !IsWindow(help); }));
  EXPECT_TRUE(driver::wait_until([&] { return IsWindowEnabled(main) != FALSE; }));
  // Closing it does not end the program.
  EXPECT_EQ(program.wait_exit(500), static_cast<DWORD>(STILL_ACTIVE));
}

TEST_F(HelpWindow, EscClosesHelpThenTheMainWindow) {
  HWND help = open_help();
  ASSERT_NE(help, nullptr);
  driver::bring_to_front(help);
  // Tab and Enter do nothing here.
  driver::press(VK_TAB);
  driver::press(VK_RETURN);
  EXPECT_TRUE(IsWindow(help));
  EXPECT_EQ(driver::focus_of(help), help);

  driver::press(VK_ESCAPE);
  ASSERT_TRUE(driver::wait_until([&] { return !IsWindow(help); }));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(driver::wait_until([&] { return GetForegroundWindow() == main; }, 3000));
  driver::press(VK_ESCAPE);
  EXPECT_EQ(program.wait_exit(), 0u);
}

TEST_F(HelpWindow, OpensAfreshEachTime) {
  HWND first = open_help();
  ASSERT_NE(first, nullptr);
  SetWindowPos(first, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostMessageA(first, WM_CLOSE, 0, 0);
  ASSERT_TRUE(driver::wait_until([&] { return !IsWindow(first) && IsWindowEnabled(main); }));

  HWND second = open_help();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  expect_centred(second, 160, 120);
  const std::vector<driver::Child> controls = driver::children(second);
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_EQ(controls[0].text, kHelpText);
}

}  // namespace
