// Text values: comparison, length and joining, with the absent text as "" throughout.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "services/text.h"

namespace {

struct CompareCase {
  const char* a;
  const char* b;
  int expected;
};

}  // namespace

TEST(CompareTexts, FollowsUnsignedBytesAndTakesAbsentAsEmpty) {
  const CompareCase cases[] = {
      {nullptr, "", 0},
      {"", nullptr, 0},
      {nullptr, nullptr, 0},
      {nullptr, "a", -1},
      {"a", nullptr, 1},
      {"a", "b", -1},
      {"b", "a", 1},
      {"ab", "a", 1},
      {"a", "ab", -1},
      {"\xB0", "a", 1},
      {"a", "\xB0", -1},
      {"\xB0\xA1", "\xB0\xA2", -1},
      {"服务器", "服务器", 0},
      {"A", "a", -1},  // no case folding
      {"", "", 0},
  };
  for (const CompareCase& c : cases) {
    EXPECT_EQ(services::compare_texts(c.a, c.b), c.expected)
        << (c.a ? c.a : "(absent)") << " vs " << (c.b ? c.b : "(absent)");
  }
}

TEST(TextLength, CountsBytesNotCharacters) {
  EXPECT_EQ(services::text_length(nullptr), 0);
  EXPECT_EQ(services::text_length(""), 0);
  EXPECT_EQ(services::text_length("服务器IP"), 8);
}

TEST(JoinTexts, MakesOneBlockOfExactlyTheNeededSize) {
  const char* third = " ab";
  const shell::Text joined = services::join_texts({"CMD /C ping ", nullptr, third});
  ASSERT_NE(joined, nullptr);
  EXPECT_STREQ(joined.get(), "CMD /C ping  ab");
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, joined.get()), 16u);
}

TEST(JoinTexts, OfEmptyTextsIsAnAllocatedEmptyText) {
  const shell::Text joined = services::join_texts({"", nullptr, ""});
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(joined.get()[0], '\0');
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, joined.get()), 1u);
}

TEST(JoinTexts, KeepsTwoByteCharactersWhole) {
  const shell::Text joined = services::join_texts({"服务器", "IP"});
  ASSERT_NE(joined, nullptr);
  EXPECT_EQ(std::memcmp(joined.get(), "\xB7\xFE\xCE\xF1\xC6\xF7IP", 9), 0);
}
