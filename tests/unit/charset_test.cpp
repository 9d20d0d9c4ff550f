// The program's texts reach the system as GBK bytes.
#include <gtest/gtest.h>

#include <cstring>

TEST(Charset, TextsAreGbkBytes) {
  EXPECT_EQ(std::strlen("服务器IP"), 8u);
  const unsigned char expected[] = {0xB0, 0xEF, 0xD6, 0xFA, 0x00};
  EXPECT_EQ(std::memcmp("帮助", expected, sizeof expected), 0);
}
