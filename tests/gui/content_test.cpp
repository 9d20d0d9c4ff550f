// The content of edit boxes as the program's handlers see it: writing and reading through the
// shell, and the content-changed events that writes and typing raise. The content probe logs
// every event and read, one line each (see tests/programs/content_probe).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui/case_names.h"
#include "tests/gui/driver.h"

namespace {

using driver::Program;

using ::PrintTo;  // found by argument-dependent lookup for the cases here
using driver::CaseName;

constexpr int kMultiBoxId = 0x0002;
constexpr int kSingleBoxId = 0x0003;

std::string hex_of(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
  return out;
}

// What the probe logs for a content: the absent text, or the bytes.
std::string logged(const std::string& bytes) { return "hex " + hex_of(bytes); }
const std::string kAbsent = "null";

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Sets the probe's environment before it starts: the child inherits the driver's.
std::string prepare_environment(const driver::TempFolder& folder, const std::string& text) {
  const std::string log = folder.file("probe.log");
  SetEnvironmentVariableA("IPL_CONTENT_PROBE_LOG", log.c_str());
  SetEnvironmentVariableA("IPL_CONTENT_PROBE_TEXT", text.c_str());
  return log;
}

class ContentProbe {
 public:
  explicit ContentProbe(const std::string& text = "")
      : log_(prepare_environment(folder_, text)),
        program_(driver::program_path("tests/programs/content_probe/content_probe.exe")),
        window_(program_.main_window()) {}

  bool ready() const { return window_ != nullptr && multi_box() != nullptr && single_box() != nullptr; }
  HWND window() const { return window_; }
  Program& program() { return program_; }

  HWND box(int id) const {
    if (window_ == nullptr) return nullptr;
    for (const driver::Child& c : driver::children(window_)) {
      if ((c.id & 0xFFFF) == id) return c.hwnd;
    }
    return nullptr;
  }
  HWND multi_box() const { return box(kMultiBoxId); }
  HWND single_box() const { return box(kSingleBoxId); }

  std::vector<std::string> log() const { return split_lines(driver::read_file(log_)); }

  // Clicks a button by its caption and returns the lines its handler logged before its "done"
  // line; an empty list with a failure when the handler does not finish.
  std::vector<std::string> click(const std::string& caption) {
    const std::size_t before = log().size();
    HWND button = driver::child_with_text(window_, caption);
    EXPECT_NE(button, nullptr) << caption;
    if (button == nullptr) return {};
    PostMessageA(button, BM_CLICK, 0, 0);
    std::vector<std::string> lines;
    const bool finished = driver::wait_until([&] {
      lines = log();
      return lines.size() > before && lines.back() == "done " + caption;
    });
    EXPECT_TRUE(finished) << caption;
    if (!finished) return {};
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end() - 1);
  }

  // The lines logged after the first `skip` ones, once `count` of them have come and the
  // window has settled, so that a line too many shows too.
  std::vector<std::string> lines_after(std::size_t skip, std::size_t count) const {
    driver::wait_until([&] { return log().size() >= skip + count; });
    driver::settle(window_);
    const std::vector<std::string> lines = log();
    if (lines.size() < skip) return {};
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(skip), lines.end());
  }

 private:
  driver::TempFolder folder_;
  std::string log_;
  Program program_;
  HWND window_;
};

LRESULT line_count(HWND edit) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(edit, EM_GETLINECOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count)) return -1;
  return static_cast<LRESULT>(count);
}

TEST(ContentStart, EventsWhileTheWindowIsBuiltReachNoHandler) {
  ContentProbe probe;
  ASSERT_TRUE(probe.ready());
  ASSERT_TRUE(driver::settle(probe.window()));
  // Both boxes were given their template text while they were made, which the system reports
  // as content changes; only the window's created event may have reached a handler.
  EXPECT_EQ(driver::window_text(probe.multi_box()), "模板\r\n初始文本");
  EXPECT_EQ(driver::window_text(probe.single_box()), "start");
  EXPECT_EQ(probe.log(), std::vector<std::string>{"created"});
}

struct LineCase {
  const char* name;
  std::string text;
  LRESULT lines;
};

class ContentWrite : public ::testing::TestWithParam<LineCase> {};

TEST_P(ContentWrite, CrLfTextReadsBackByteForByteWithOneLinePerPair) {
  const LineCase& c = GetParam();
  ContentProbe probe(c.text);
  ASSERT_TRUE(probe.ready());

  // The handler's own content-changed event already sees the new text.
  EXPECT_EQ(probe.click("write-text"), std::vector<std::string>{"changed multi " + logged(c.text)});
  EXPECT_EQ(driver::window_text(probe.multi_box()), c.text);
  EXPECT_EQ(line_count(probe.multi_box()), c.lines);
  EXPECT_EQ(probe.click("read-multi"), std::vector<std::string>{"read multi " + logged(c.text)});
}

INSTANTIATE_TEST_SUITE_P(Texts, ContentWrite,
                         ::testing::Values(LineCase{"ChineseAndAscii", "第一行\r\nsecond\r\n第三行", 3},
                                           LineCase{"OnlyALineBreak", "\r\n", 2},
                                           LineCase{"EmptyLinesAndTrailingBreak", "a\r\n\r\nb\r\n", 4},
                                           // 0x5C, a backslash, as the second byte of a character
                                           LineCase{"BackslashTrailByte", "\x95\x5C\\\r\n\x81\x5C", 2}),
                         CaseName());

struct BoxCase {
  const char* name;
  int id;
};

const BoxCase kBoxes[] = {{"multi", kMultiBoxId}, {"single", kSingleBoxId}};

class ContentBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(ContentBox, AbsentTextEmptiesTheBoxAndAnEmptyBoxReadsAsAbsent) {
  const BoxCase& c = GetParam();
  ContentProbe probe;
  ASSERT_TRUE(probe.ready());
  const std::string name = c.name;
  ASSERT_FALSE(driver::window_text(probe.box(c.id)).empty());

  EXPECT_EQ(probe.click("absent-" + name), std::vector<std::string>{"changed " + name + " " + kAbsent});
  EXPECT_EQ(driver::window_text(probe.box(c.id)), "");
  // Absent, not an allocated empty text.
  EXPECT_EQ(probe.click("read-" + name), std::vector<std::string>{"read " + name + " " + kAbsent});
}

TEST_P(ContentBox, EveryWriteRaisesContentChangedOnceEvenWhenTheTextIsUnchanged) {
  const BoxCase& c = GetParam();
  ContentProbe probe;
  ASSERT_TRUE(probe.ready());
  const std::string name = c.name;
  const std::string event = "changed " + name + " " + logged("same");

  EXPECT_EQ(probe.click("twice-" + name), (std::vector<std::string>{event, "wrote", event, "wrote"}));
  EXPECT_EQ(driver::window_text(probe.box(c.id)), "same");
}

TEST_P(ContentBox, TypingRaisesContentChangedOncePerChange) {
  const BoxCase& c = GetParam();
  ContentProbe probe;
  ASSERT_TRUE(probe.ready());
  const std::string name = c.name;
  probe.click("absent-" + name);
  driver::bring_to_front(probe.window());
  for (int i = 0; i < 3 && driver::focus_of(probe.window()) != probe.box(c.id); ++i) driver::press(VK_TAB);
  ASSERT_EQ(driver::focus_of(probe.window()), probe.box(c.id));

  const std::size_t before = probe.log().size();
  driver::type_text("ab");
  driver::press(VK_BACK);
  const std::vector<std::string> expected = {"changed " + name + " " + logged("a"),
                                             "changed " + name + " " + logged("ab"),
                                             "changed " + name + " " + logged("a")};
  EXPECT_EQ(probe.lines_after(before, expected.size()), expected);
  EXPECT_EQ(driver::window_text(probe.box(c.id)), "a");
}

INSTANTIATE_TEST_SUITE_P(Boxes, ContentBox, ::testing::ValuesIn(kBoxes), CaseName());

}  // namespace
