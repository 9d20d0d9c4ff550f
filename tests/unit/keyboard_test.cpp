// The key value the keyboard rules compare against: keypad keys read as the main keys they
// stand for, and each modifier adds its own bit.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/keyboard.h"

namespace {

struct KeyCase {
  const char* name;
  WPARAM virtual_key;
  bool ctrl, shift, alt;
  std::uint32_t expected;
};

constexpr std::uint32_t kCtrl = 0x2000;
constexpr std::uint32_t kShift = 0x4000;
constexpr std::uint32_t kAlt = 0x8000;

const KeyCase kCases[] = {
    {"plain letter", 'A', false, false, false, 'A'},
    {"main digit", '7', false, false, false, '7'},
    {"keypad 0", VK_NUMPAD0, false, false, false, '0'},
    {"keypad 9", VK_NUMPAD9, false, false, false, '9'},
    {"keypad minus", VK_SUBTRACT, false, false, false, VK_OEM_MINUS},
    {"keypad point", VK_DECIMAL, false, false, false, VK_OEM_PERIOD},
    {"keypad slash", VK_DIVIDE, false, false, false, VK_OEM_2},
    {"Shift+Tab", VK_TAB, false, true, false, VK_TAB | kShift},
    {"Ctrl+Esc", VK_ESCAPE, true, false, false, VK_ESCAPE | kCtrl},
    {"Alt+A", 'A', false, false, true, 'A' | kAlt},
    {"Alt+keypad 5", VK_NUMPAD5, false, false, true, '5' | kAlt},
    {"all three on Enter", VK_RETURN, true, true, true, VK_RETURN | kCtrl | kShift | kAlt},
    // Neighbours of the keypad range stay themselves.
    {"F1 after the keypad", VK_F1, false, false, false, VK_F1},
    {"key before keypad 0", VK_NUMPAD0 - 1, false, false, false, VK_NUMPAD0 - 1},
};

TEST(KeyValue, MapsKeypadKeysAndAddsModifierBits) {
  for (const KeyCase& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(shell::key_value(c.virtual_key, c.ctrl, c.shift, c.alt), c.expected);
  }
}

}  // namespace
