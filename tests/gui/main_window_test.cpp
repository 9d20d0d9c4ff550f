// The main window as a user sees it: placement, frame, controls, stacking, current directory
// and the end of the program.
#include <gtest/gtest.h>

#include "tests/gui/driver.h"

namespace {

using driver::Program;

struct ExpectedControl {
  const char* text;
  const char* class_name;
  int id;
  RECT rect;          // client coordinates of the main window
  LONG style;         // bits that must be set
  LONG absent_style;  // bits that must not be set
  LONG ex_style;
};

constexpr LONG kEdit1Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr LONG kEdit2Style =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
constexpr LONG kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;

// Listed from the top of the stacking order, as the system enumerates them.
const ExpectedControl kControls[] = {
    {"帮助", "Button", 0x16010018 & 0xFFFF, {272, 216, 368, 256}, kButtonStyle, BS_DEFPUSHBUTTON, 0},
    {"QOVA 荣誉出品", "IplLabel", 0x16010016 & 0xFFFF, {8, 224, 88, 248}, WS_CHILD | WS_VISIBLE, WS_TABSTOP, 0},
    {"查看Ping（延迟）", "Button", 0x1601000E & 0xFFFF, {112, 216, 248, 256}, kButtonStyle, BS_DEFPUSHBUTTON, 0},
    {"结果", "Button", 0x16010005 & 0xFFFF, {16, 48, 360, 208}, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, WS_TABSTOP, 0},
    {"",
     "Edit",
     0x16010006 & 0xFFFF,
     {32, 64, 352, 200},
     kEdit2Style,
     ES_AUTOHSCROLL | WS_HSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE},
    {"服务器IP", "IplLabel", 0x16010004 & 0xFFFF, {16, 18, 72, 42}, WS_CHILD | WS_VISIBLE, WS_TABSTOP, 0},
    {"",
     "Edit",
     0x16010002 & 0xFFFF,
     {80, 16, 328, 40},
     kEdit1Style,
     ES_MULTILINE | WS_VSCROLL | ES_READONLY,
     WS_EX_CLIENTEDGE},
};

class MainWindow : public ::testing::Test {
 protected:
  Program program{driver::program_path("tool/iplatency.exe")};
  HWND main = program.main_window();

  void SetUp() override {
    ASSERT_TRUE(program.started());
    ASSERT_NE(main, nullptr);
  }
};

TEST_F(MainWindow, IsCentredWithFixedFrameAndCaption) {
  RECT rect;
  GetWindowRect(main, &rect);
  EXPECT_EQ(rect.right - rect.left, 380);
  EXPECT_EQ(rect.bottom - rect.top, 292);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 380) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 292) / 2);
  EXPECT_EQ(driver::window_text(main), "Tarvelon[QOVA制作]");

  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE),
            WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | WS_VISIBLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP | WS_DISABLED), 0);
  EXPECT_EQ(GetWindowLongA(main, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  // Its own taskbar button: no owner, not a tool window.
  EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(main), nullptr);
}

TEST_F(MainWindow, ControlsMatchTheTemplate) {
  const std::vector<driver::Child> found = driver::children(main);
  ASSERT_EQ(found.size(), std::size(kControls));
  for (std::size_t i = 0; i < found.size(); ++i) {
    const ExpectedControl& want = kControls[i];
    const driver::Child& got = found[i];
    SCOPED_TRACE(want.text[0] != '\0' ? want.text : "edit box");
    EXPECT_EQ(got.text, want.text);
    EXPECT_STRCASEEQ(got.class_name.c_str(), want.class_name);
    EXPECT_EQ(got.id & 0xFFFF, want.id);
    EXPECT_EQ(got.rect.left, want.rect.left);
    EXPECT_EQ(got.rect.top, want.rect.top);
    EXPECT_EQ(got.rect.right, want.rect.right);
    EXPECT_EQ(got.rect.bottom, want.rect.bottom);
    EXPECT_EQ(got.style & want.style, want.style);
    EXPECT_EQ(got.style & want.absent_style, 0);
    EXPECT_EQ(got.ex_style, want.ex_style);
  }
}

TEST_F(MainWindow, ResultBoxLivesInTheGroupBoxAndSiblingsStackInTemplateOrder) {
  HWND group = driver::child_with_text(main, "结果");
  ASSERT_NE(group, nullptr);
  HWND inner = GetWindow(group, GW_CHILD);
  ASSERT_NE(inner, nullptr);
  EXPECT_STRCASEEQ(driver::class_of(inner).c_str(), "Edit");
  EXPECT_EQ(GetParent(inner), group);

  std::vector<std::string> order;
  for (HWND c = GetWindow(main, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    order.push_back(driver::window_text(c));
  }
  const std::vector<std::string> expected = {"帮助", "QOVA 荣誉出品", "查看Ping（延迟）", "结果", "服务器IP", ""};
  EXPECT_EQ(order, expected);
}

TEST_F(MainWindow, CloseRequestEndsTheProgramWithExitCodeZero) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.wait_exit(), 0u);
}

TEST_F(MainWindow, AltF4EndsTheProgramWithExitCodeZero) {
  driver::bring_to_front(main);
  driver::press(VK_F4, {VK_MENU});
  EXPECT_EQ(program.wait_exit(), 0u);
}

TEST_F(MainWindow, SystemMenuCloseEndsTheProgram) {
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.wait_exit(), 0u);
}

TEST(MainWindowStart, CurrentDirectoryIsTheProgramsFolder) {
  driver::TempFolder elsewhere;
  const std::string path = driver::program_path("tool/iplatency.exe");
  Program program(path, elsewhere.path());
  ASSERT_TRUE(program.started());
  ASSERT_NE(program.main_window(), nullptr);
  std::string directory = driver::current_directory_of(program.process());
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  EXPECT_STRCASEEQ(directory.c_str(), path.substr(0, path.rfind('\\')).c_str());
}

TEST(MainWindowStart, SavesAScreenshot) {
  Program program(driver::program_path("tool/iplatency.exe"));
  HWND main = program.main_window();
  ASSERT_NE(main, nullptr);
  driver::bring_to_front(main);
  EXPECT_FALSE(driver::screenshot(main, "main-window").empty());
}

}  // namespace
