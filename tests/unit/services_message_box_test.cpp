// What the message box gives the system and what it makes of the answer. Showing a real box
// needs a display and someone to close it: the program's own driver tests do that.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "services/message_box.h"

TEST(MessageBoxStyle, IsAtLeastTaskModal) {
  struct Case {
    std::int32_t style;
    UINT given;
  };
  const Case cases[] = {
      {0, 0x2000},      {4, 0x2004},      {0x30, 0x2030},
      {0x2000, 0x2000}, {0x1000, 0x1000}, {0x1024, 0x1024},  // system-modal stays so, without the task-modal bit
  };
  for (const Case& c : cases) EXPECT_EQ(services::message_box_style(c.style), c.given) << "style " << c.style;
}

TEST(MessageBoxResult, IsTheButtonMinusOneForOkToNoAndOtherwiseZero) {
  struct Case {
    int id;
    std::int32_t result;
  };
  const Case cases[] = {
      {0, 0},        {IDOK, 0},  {IDCANCEL, 1}, {IDABORT, 2}, {IDRETRY, 3},
      {IDIGNORE, 4}, {IDYES, 5}, {IDNO, 6},     {8, 0},       {-1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(services::message_box_result(c.id), c.result) << "id " << c.id;
}

TEST(MessageBoxTitle, DefaultsToInformationWithAFullWidthColon) {
  const unsigned char gbk[] = {0xD0, 0xC5, 0xCF, 0xA2, 0xA3, 0xBA, 0x00};  // 信息：
  EXPECT_EQ(std::memcmp(services::kDefaultTitle, gbk, sizeof gbk), 0);
}
