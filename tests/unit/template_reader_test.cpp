// Reading window templates: a good text read whole, and broken texts refused as a whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/template_reader.h"

namespace {

using shell::Kind;

// Each answers its own value, so a binding shows which routine it was resolved to even if the
// compiler folds routines with identical bodies.
std::optional<std::int32_t> on_created(std::span<const std::int32_t>) { return 11; }
std::optional<std::int32_t> on_changed(std::span<const std::int32_t>) { return 22; }
std::optional<std::int32_t> on_clicked(std::span<const std::int32_t>) { return 33; }

const shell::HandlerEntry kHandlers[] = {
    {"on_created", &on_created},
    {"on_changed", &on_changed},
    {"on_clicked", &on_clicked},
};

// The button's caption is the double-byte character 0x81 0x5C: its second byte is a backslash,
// which must not start an escape and swallow the closing quote.
const std::string kTwoWindows = std::string(R"(# A main window with a group box holding an edit box, then a dialog.
window 主窗口
  id                0x52000001
  element           0x06000001
  text              "主\"窗\\口"
  bounds            10 -20 300 200
  taskbar           yes
  on created        on_created
  on can-close      none

group 分组框1
  id                0x16000005
  bounds            8 8 200 100
  text              "组"

edit 编辑框1
  id                0x16000006
  parent            分组框1
  bounds            4 16 100 24
  text              "a\r\nb\x41\tc"
  on content-changed on_changed

button 按钮1
  id                0x16000007
  parent            主窗口
  text              ")") + "\x81\x5C" +
                                R"("
  on clicked        on_clicked

window 对话框
  id                0x52000002
  element           0x06000002
  taskbar           no

label 标签1
  id                1
  text              ""
)";

std::string with_crlf(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::optional<std::int32_t> call(shell::Handler handler) { return handler != nullptr ? handler({}) : std::nullopt; }

class GoodText : public testing::TestWithParam<bool> {
 protected:
  shell::ReadResult read() const {
    const std::string data = GetParam() ? with_crlf(kTwoWindows) : kTwoWindows;
    return shell::read_templates(data, kHandlers);
  }
};

TEST_P(GoodText, ElementsComeInTemplateOrderWithTheirIdsAndParents) {
  const shell::ReadResult result = read();
  ASSERT_FALSE(result.error.has_value()) << "line " << result.error->line << ": " << result.error->reason;
  ASSERT_EQ(result.templates.size(), 2u);

  const shell::Template& main = result.templates[0];
  EXPECT_EQ(main.window_id, 0x52000001u);
  struct Expected {
    Kind kind;
    std::uint32_t id;
    const char* name;
    std::uint32_t parent;
  };
  const Expected expected[] = {
      {Kind::window, 0x06000001, "主窗口", 0},
      {Kind::group, 0x16000005, "分组框1", 0},
      {Kind::edit, 0x16000006, "编辑框1", 0x16000005},
      {Kind::button, 0x16000007, "按钮1", 0},
  };
  ASSERT_EQ(main.elements.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(main.elements[i].kind, expected[i].kind);
    EXPECT_EQ(main.elements[i].id, expected[i].id);
    EXPECT_EQ(main.elements[i].name, expected[i].name);
    EXPECT_EQ(main.elements[i].parent, expected[i].parent);
  }
  const shell::Element& window = main.elements[0];
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, -20);
  EXPECT_EQ(window.width, 300);
  EXPECT_EQ(window.height, 200);
  EXPECT_TRUE(window.taskbar);

  const shell::Template& dialog = result.templates[1];
  EXPECT_EQ(dialog.window_id, 0x52000002u);
  ASSERT_EQ(dialog.elements.size(), 2u);
  EXPECT_EQ(dialog.elements[0].id, 0x06000002u);
  EXPECT_FALSE(dialog.elements[0].taskbar);
  EXPECT_EQ(dialog.elements[1].kind, Kind::label);
  EXPECT_EQ(dialog.elements[1].id, 1u);
}

TEST_P(GoodText, BindingsResolveToTheNamedRoutinesAndNoneToNoRoutine) {
  const shell::ReadResult result = read();
  ASSERT_FALSE(result.error.has_value());
  const auto& elements = result.templates[0].elements;

  const auto& window = elements[0].bindings;
  ASSERT_EQ(window.size(), 2u);
  EXPECT_EQ(window[0].event, shell::event::created);
  EXPECT_EQ(call(window[0].handler), 11);
  EXPECT_EQ(window[1].event, shell::event::can_close);
  EXPECT_EQ(window[1].handler, nullptr);

  ASSERT_EQ(elements[2].bindings.size(), 1u);
  EXPECT_EQ(elements[2].bindings[0].event, shell::event::content_changed);
  EXPECT_EQ(call(elements[2].bindings[0].handler), 22);
  ASSERT_EQ(elements[3].bindings.size(), 1u);
  EXPECT_EQ(elements[3].bindings[0].event, shell::event::clicked);
  EXPECT_EQ(call(elements[3].bindings[0].handler), 33);

  EXPECT_TRUE(elements[1].bindings.empty());
  EXPECT_TRUE(result.templates[1].elements[0].bindings.empty());
}

TEST_P(GoodText, TextsHaveTheirEscapesDecodedAndDoubleByteCharactersKeptWhole) {
  const shell::ReadResult result = read();
  ASSERT_FALSE(result.error.has_value());
  const auto& elements = result.templates[0].elements;
  EXPECT_EQ(elements[0].text, "主\"窗\\口");
  EXPECT_EQ(elements[1].text, "组");
  EXPECT_EQ(elements[2].text, "a\r\nbA\tc");
  EXPECT_EQ(elements[3].text, "\x81\x5C");
  EXPECT_EQ(result.templates[1].elements[1].text, "");
}

INSTANTIATE_TEST_SUITE_P(LineEndings, GoodText, testing::Bool(), [](const testing::TestParamInfo<bool>& param_info) {
  return param_info.param ? "CRLF" : "LF";
});

// A window that reads on its own; each broken case below adds to it or replaces it.
constexpr char kWindow[] = "window w\n  id 1\n  element 2\n";

TEST(BrokenText, TheWindowTheCasesStartFromIsGood) {
  const shell::ReadResult result = shell::read_templates(kWindow, kHandlers);
  EXPECT_FALSE(result.error.has_value());
  EXPECT_EQ(result.templates.size(), 1u);
}

struct BrokenCase {
  const char* name;
  std::string data;
};

const std::string base = kWindow;

const BrokenCase kBroken[] = {
    {"unknown kind", base + "slider s\n  id 3\n"},
    {"control before any window", "button b\n  id 3\n" + base},
    {"setting before any element", "  id 3\n" + base},
    {"unknown setting", base + "  wobble yes\n"},
    {"setting of another kind", base + "  multiline yes\n"},
    {"flag neither yes nor no", base + "  taskbar maybe\n"},
    {"letters in a number", base + "  bounds 1 2 3x 4\n"},
    {"bare hex prefix", "window w\n  id 0x\n  element 2\n"},
    {"quoted number", "window w\n  id \"1\"\n  element 2\n"},
    {"missing bounds field", base + "  bounds 1 2 3\n"},
    {"id zero", "window w\n  id 0\n  element 2\n"},
    {"id above 32 bits", "window w\n  id 0x100000000\n  element 2\n"},
    {"negative id", base + "button b\n  id -1\n"},
    {"negative width", base + "  bounds 0 0 -1 10\n"},
    {"unknown handler", base + "  on created nobody\n"},
    {"event foreign to the kind", base + "  on clicked on_clicked\n"},
    {"binding on a label", base + "label l\n  id 3\n  on clicked on_clicked\n"},
    {"event bound twice", base + "  on created on_created\n  on created none\n"},
    {"unterminated quote", base + "  text \"abc\n"},
    {"quote escaped at the end", base + "  text \"abc\\\"\n"},
    {"backslash at the end", base + "  text \"abc\\\n"},
    {"unknown escape", base + "  text \"a\\qb\"\n"},
    {"short hex escape", base + "  text \"\\x4\"\n"},
    {"non-hex escape", base + "  text \"\\xZZ\"\n"},
    {"zero byte escape", base + "  text \"\\x00\"\n"},
    {"text glued to its quote", base + "  text \"a\"b\n"},
    {"unquoted text", base + "  text abc\n"},
    {"missing window id", "window w\n  element 2\n"},
    {"missing window element", "window w\n  id 1\n"},
    {"missing control id", base + "button b\n  text \"x\"\n"},
    {"control id equals the window element", base + "button b\n  id 2\n"},
    {"two controls share an id", base + "button b\n  id 3\nlabel l\n  id 3\n"},
    {"two windows share an id", base + "window v\n  id 1\n  element 3\n"},
    {"duplicate in the second of three windows",
     base + "window v\n  id 5\n  element 6\nbutton b\n  id 7\nbutton c\n  id 7\nwindow u\n  id 8\n  element 9\n"},
    {"parent is a button", base + "button b\n  id 3\nedit e\n  id 4\n  parent b\n"},
    {"parent names nothing", base + "edit e\n  id 4\n  parent nowhere\n"},
    {"group is its own parent", base + "group g\n  id 3\n  parent g\n"},
    {"containers hold each other", base + "group g\n  id 3\n  parent h\ngroup h\n  id 4\n  parent g\n"},
    {"parent in another window", base + "group g\n  id 3\nwindow v\n  id 5\n  element 6\nedit e\n  id 7\n  parent g\n"},
    {"zero byte in a text", base + "  text \"a" + std::string(1, '\0') + "b\"\n"},
    {"zero byte after the last line", base + std::string(1, '\0')},
    {"empty data", ""},
    {"only comments and blanks", "# nothing here\n\n   \n"},
};

class Broken : public testing::TestWithParam<BrokenCase> {};

TEST_P(Broken, IsRefusedWithAnErrorAndNoTemplates) {
  const shell::ReadResult result = shell::read_templates(GetParam().data, kHandlers);
  EXPECT_TRUE(result.error.has_value());
  EXPECT_TRUE(result.templates.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, Broken, testing::ValuesIn(kBroken),
                         [](const testing::TestParamInfo<BrokenCase>& param_info) {
                           std::string name;
                           for (const char* p = param_info.param.name; *p != '\0'; ++p)
                             name += (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ? *p : '_';
                           return name;
                         });

}  // namespace
