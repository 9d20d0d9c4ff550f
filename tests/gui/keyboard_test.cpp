// The keyboard in the main window, with real key input: where typing goes, the Tab cycle, Enter,
// Esc, Space on buttons and Alt with a letter.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/gui/case_names.h"
#include "tests/gui/driver.h"

namespace {

using driver::Program;

using ::PrintTo;  // found by argument-dependent lookup for the cases here
using driver::CaseName;

constexpr int kAddressBoxId = 0x0002;   // 编辑框1
constexpr int kResultBoxId = 0x0006;    // 编辑框2
constexpr int kQueryButtonId = 0x000E;  // 按钮1
constexpr int kHelpButtonId = 0x0018;   // 按钮2

// The main window of a freshly started program, in front and ready for keys.
class MainWindow {
 public:
  MainWindow() {
    if (main_ != nullptr) driver::bring_to_front(main_);
  }

  bool ready() const { return main_ != nullptr && tab_cycle_[0] && tab_cycle_[1] && tab_cycle_[2] && tab_cycle_[3]; }
  Program& program() { return program_; }
  HWND main() const { return main_; }
  HWND address() const { return tab_cycle_[0]; }
  HWND result() const { return tab_cycle_[1]; }
  HWND query() const { return tab_cycle_[2]; }
  HWND help() const { return tab_cycle_[3]; }
  HWND focus() const { return driver::focus_of(main_); }
  // The control that has the focus after `tabs` presses of Tab from the address box.
  HWND after_tabs(int tabs) const { return tab_cycle_[static_cast<std::size_t>(tabs) % tab_cycle_.size()]; }

  void tab(int times) const {
    for (int i = 0; i < times; ++i) driver::press(VK_TAB);
  }

  // True when the program still runs, its window still answers, and no other window of it
  // (a message box, the help window) is showing.
  bool unchanged_and_alive() {
    return program_.wait_exit(0) == STILL_ACTIVE && IsWindowVisible(main_) && driver::settle(main_) &&
           program_.top_level_windows().size() == 1;
  }

 private:
  HWND control(int id) const {
    if (main_ == nullptr) return nullptr;
    for (const driver::Child& c : driver::children(main_)) {
      if ((c.id & 0xFFFF) == id) return c.hwnd;
    }
    return nullptr;
  }

  Program program_{driver::program_path("tool/iplatency.exe")};
  HWND main_ = program_.main_window();
  std::array<HWND, 4> tab_cycle_{control(kAddressBoxId), control(kResultBoxId), control(kQueryButtonId),
                                 control(kHelpButtonId)};
};

bool set_text(HWND edit, const char* text) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &ignored) !=
         0;
}

class Keyboard : public ::testing::Test {
 protected:
  MainWindow w;

  void SetUp() override { ASSERT_TRUE(w.ready()); }
};

TEST_F(Keyboard, TypingRightAfterStartGoesToTheAddressBox) {
  EXPECT_EQ(w.focus(), w.address());
  driver::type_text("127.0.0.1");
  EXPECT_EQ(driver::window_text(w.address()), "127.0.0.1");
  EXPECT_EQ(driver::window_text(w.result()), "");
}

TEST_F(Keyboard, TabAndShiftTabCycleThroughTheFourTabStopsOnly) {
  // Text in the result box, which Tab selects whole on entering: a Tab character typed into
  // the box would replace it.
  const char* const kResultText = "earlier\r\nresult";
  ASSERT_TRUE(set_text(w.result(), kResultText));
  ASSERT_EQ(w.focus(), w.address());

  struct Step {
    bool shift;
    HWND expected;
    const char* name;
  };
  const Step steps[] = {
      {false, w.result(), "Tab to the result box"},
      {false, w.query(), "Tab to the query button"},
      {false, w.help(), "Tab to the help button"},
      {false, w.address(), "Tab wraps to the address box"},
      {true, w.help(), "Shift+Tab wraps to the help button"},
      {true, w.query(), "Shift+Tab to the query button"},
      {true, w.result(), "Shift+Tab to the result box"},
      {true, w.address(), "Shift+Tab to the address box"},
      {false, w.result(), "Tab to the result box again"},
      {true, w.address(), "Shift+Tab straight back"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.shift) {
      driver::press(VK_TAB, {VK_SHIFT});
    } else {
      driver::press(VK_TAB);
    }
    const HWND focus = w.focus();
    EXPECT_EQ(focus, step.expected) << "focus is on control " << std::hex << (GetDlgCtrlID(focus) & 0xFFFF) << " ("
                                    << driver::class_of(focus) << ")";
  }
  EXPECT_EQ(driver::window_text(w.result()), kResultText);
  EXPECT_EQ(driver::window_text(w.address()), "");
}

struct EnterCase {
  const char* name;
  const char* address;
};

class EnterInAddressBox : public Keyboard, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterInAddressBox, StartsNothingAndKeepsTheFocus) {
  driver::type_text(GetParam().address);
  driver::press(VK_RETURN);
  // A query would have started the command interpreter, a click with an empty address a
  // message box, both before the window answers the settle.
  EXPECT_TRUE(w.unchanged_and_alive());
  EXPECT_EQ(w.program().wait_message_box(300), nullptr);
  EXPECT_TRUE(driver::child_processes(w.program().pid()).empty());
  EXPECT_TRUE(IsWindowEnabled(w.query()));
  EXPECT_EQ(driver::window_text(w.result()), "");
  EXPECT_EQ(driver::window_text(w.address()), GetParam().address);
  EXPECT_EQ(w.focus(), w.address());
}

INSTANTIATE_TEST_SUITE_P(Addresses, EnterInAddressBox,
                         ::testing::Values(EnterCase{"Empty", ""}, EnterCase{"Loopback", "127.0.0.1"}), CaseName());

TEST_F(Keyboard, EnterInTheResultBoxInsertsALineBreak) {
  w.tab(1);
  ASSERT_EQ(w.focus(), w.result());
  driver::press(VK_RETURN);
  EXPECT_EQ(driver::window_text(w.result()), "\r\n");
  driver::type_text("a");
  driver::press(VK_RETURN);
  driver::type_text("b");
  EXPECT_EQ(driver::window_text(w.result()), "\r\na\r\nb");
  EXPECT_EQ(w.focus(), w.result());
}

struct FocusCase {
  const char* name;
  int tabs;  // from the address box
};

class EscFrom : public Keyboard, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(EscFrom, ClosesTheMainWindowWithExitCodeZero) {
  w.tab(GetParam().tabs);
  ASSERT_EQ(w.focus(), w.after_tabs(GetParam().tabs));
  driver::press(VK_ESCAPE);
  EXPECT_EQ(w.program().wait_exit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Controls, EscFrom,
                         ::testing::Values(FocusCase{"AddressBox", 0}, FocusCase{"ResultBox", 1},
                                           FocusCase{"QueryButton", 2}, FocusCase{"HelpButton", 3}),
                         CaseName());

struct ModifierCase {
  const char* name;
  WORD modifier;
};

class EscWithModifier : public Keyboard, public ::testing::WithParamInterface<ModifierCase> {};

TEST_P(EscWithModifier, LeavesTheWindowOpenAndTheKeyboardWorking) {
  driver::press(VK_ESCAPE, {GetParam().modifier});
  EXPECT_EQ(w.program().wait_exit(300), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(w.unchanged_and_alive());
  EXPECT_EQ(w.focus(), w.address());
  // Keys still reach the box, and a plain Esc still closes.
  driver::bring_to_front(w.main());
  driver::type_text("x");
  EXPECT_EQ(driver::window_text(w.address()), "x");
  driver::press(VK_ESCAPE);
  EXPECT_EQ(w.program().wait_exit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modifiers, EscWithModifier,
                         ::testing::Values(ModifierCase{"Shift", VK_SHIFT}, ModifierCase{"Ctrl", VK_CONTROL},
                                           ModifierCase{"Alt", VK_MENU}),
                         CaseName());

TEST_F(Keyboard, SpaceOnTheQueryButtonWithNoAddressShowsTheNotice) {
  w.tab(2);
  ASSERT_EQ(w.focus(), w.query());
  driver::press(VK_SPACE);
  const HWND box = w.program().wait_message_box();
  ASSERT_NE(box, nullptr);
  const driver::MessageBoxContent content = driver::read_message_box(box);
  EXPECT_EQ(content.title, "信息：");
  EXPECT_EQ(content.text, "您未输入服务器IP");
  driver::answer_message_box(box);
  EXPECT_TRUE(driver::wait_until([&] { return !IsWindow(box); }));
  EXPECT_TRUE(w.unchanged_and_alive());
  EXPECT_TRUE(driver::child_processes(w.program().pid()).empty());
}

TEST_F(Keyboard, SpaceOnTheHelpButtonOpensTheHelpWindowAndEscClosesIt) {
  w.tab(3);
  ASSERT_EQ(w.focus(), w.help());
  driver::press(VK_SPACE);
  const HWND help = w.program().wait_window("IplWindow", "帮助");
  ASSERT_NE(help, nullptr);
  EXPECT_NE(help, w.main());
  EXPECT_EQ(w.program().top_level_windows().size(), 2u);
  EXPECT_TRUE(driver::wait_until([&] { return !IsWindowEnabled(w.main()); }));

  ASSERT_TRUE(driver::wait_until([&] { return GetForegroundWindow() == help; }, 3000));
  driver::press(VK_ESCAPE);
  EXPECT_TRUE(driver::wait_until([&] { return !IsWindow(help); }));
  EXPECT_TRUE(driver::wait_until([&] { return IsWindowEnabled(w.main()); }));
  EXPECT_TRUE(w.unchanged_and_alive());
}

struct AltCase {
  const char* name;
  WORD letter;
  int tabs;  // from the address box, before the key
};

class AltLetter : public Keyboard, public ::testing::WithParamInterface<AltCase> {};

TEST_P(AltLetter, DoesNothingAndLeavesTheFocusWhereItWas) {
  const AltCase& c = GetParam();
  w.tab(c.tabs);
  const HWND before = w.after_tabs(c.tabs);
  ASSERT_EQ(w.focus(), before);
  driver::press(c.letter, {VK_MENU});
  EXPECT_TRUE(w.unchanged_and_alive());
  EXPECT_EQ(w.program().wait_message_box(300), nullptr);
  EXPECT_EQ(w.focus(), before);
  EXPECT_EQ(driver::window_text(w.address()), "");
  // No menu mode swallowing the keys that follow: Tab still moves on.
  driver::press(VK_TAB);
  EXPECT_EQ(w.focus(), w.after_tabs(c.tabs + 1));
}

INSTANTIATE_TEST_SUITE_P(Letters, AltLetter,
                         ::testing::Values(AltCase{"AInAddressBox", 'A', 0}, AltCase{"PInResultBox", 'P', 1},
                                           AltCase{"POnQueryButton", 'P', 2}, AltCase{"HOnHelpButton", 'H', 3}),
                         CaseName());

}  // namespace
