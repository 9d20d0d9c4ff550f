// Feeds arbitrary bytes to the template reader. A read that succeeds must give templates the
// window builder can trust; a read that fails must give none; the same bytes, or the same lines
// ended differently, must read the same; and the bytes written out as a quoted text must read
// back unchanged, double-byte characters whose second byte is a backslash or a quote included.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "shell/template_reader.h"

namespace {

// Distinct answers keep the routines distinct, so a binding shows which one it resolved to.
std::optional<std::int32_t> main_window_created(std::span<const std::int32_t>) { return 1; }
std::optional<std::int32_t> query_latency(std::span<const std::int32_t>) { return 2; }
std::optional<std::int32_t> show_help(std::span<const std::int32_t>) { return 3; }

constexpr shell::HandlerEntry kHandlers[] = {
    {"main_window_created", &main_window_created},
    {"query_latency", &query_latency},
    {"show_help", &show_help},
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "template reader: %s\n", what);
  std::abort();
}

void expect(bool condition, const char* what) {
  if (!condition) fail(what);
}

bool same_colour(const shell::Colour& a, const shell::Colour& b) {
  return a.system_face == b.system_face && a.rgb == b.rgb;
}

bool same_element(const shell::Element& a, const shell::Element& b) {
  if (a.bindings.size() != b.bindings.size()) return false;
  for (std::size_t i = 0; i < a.bindings.size(); ++i) {
    if (a.bindings[i].event != b.bindings[i].event || a.bindings[i].handler != b.bindings[i].handler) return false;
  }
  return a.kind == b.kind && a.id == b.id && a.name == b.name && a.parent == b.parent && a.left == b.left &&
         a.top == b.top && a.width == b.width && a.height == b.height && a.visible == b.visible &&
         a.disabled == b.disabled && a.tab_stop == b.tab_stop && a.tab_order == b.tab_order && a.text == b.text &&
         same_colour(a.fore, b.fore) && same_colour(a.back, b.back) && a.placement == b.placement &&
         a.start == b.start && a.sizable == b.sizable && a.taskbar == b.taskbar && a.topmost == b.topmost &&
         a.esc_closes == b.esc_closes && a.enter_moves_focus == b.enter_moves_focus && a.f1_help == b.f1_help &&
         a.multiline == b.multiline && a.read_only == b.read_only && a.border == b.border &&
         a.scroll_bars == b.scroll_bars && a.max_length == b.max_length && a.word_wrap == b.word_wrap &&
         a.default_button == b.default_button;
}

bool same_templates(const shell::ReadResult& a, const shell::ReadResult& b) {
  if (a.templates.size() != b.templates.size()) return false;
  for (std::size_t t = 0; t < a.templates.size(); ++t) {
    const shell::Template& x = a.templates[t];
    const shell::Template& y = b.templates[t];
    if (x.window_id != y.window_id || x.elements.size() != y.elements.size()) return false;
    for (std::size_t e = 0; e < x.elements.size(); ++e) {
      if (!same_element(x.elements[e], y.elements[e])) return false;
    }
  }
  return true;
}

bool same_result(const shell::ReadResult& a, const shell::ReadResult& b) {
  if (a.error.has_value() != b.error.has_value()) return false;
  if (a.error && (a.error->line != b.error->line || std::strcmp(a.error->reason, b.error->reason) != 0)) return false;
  return same_templates(a, b);
}

bool known_handler(shell::Handler handler) {
  if (handler == nullptr) return true;
  for (const shell::HandlerEntry& entry : kHandlers) {
    if (entry.routine == handler) return true;
  }
  return false;
}

void check_template(const shell::Template& t) {
  expect(!t.elements.empty(), "a template without elements");
  expect(t.elements.front().kind == shell::Kind::window, "element 0 is not the window");
  expect(t.elements.front().parent == 0, "the window has a parent");
  for (std::size_t i = 0; i < t.elements.size(); ++i) {
    const shell::Element& e = t.elements[i];
    expect(e.id != 0, "an element without an id");
    expect(i == 0 || e.kind != shell::Kind::window, "a second window element inside a template");
    for (std::size_t j = 0; j < i; ++j) expect(t.elements[j].id != e.id, "two elements share an id");
    expect(e.width >= 0 && e.height >= 0, "a negative size");
    if (e.parent != 0) {
      const shell::Element* parent = shell::find_element(t, e.parent);
      expect(parent != nullptr, "a parent that is not in the template");
      expect(parent != &e, "an element is its own parent");
      expect(shell::is_container(parent->kind), "a parent that holds no controls");
    }
    // Following parents ends at the window.
    std::uint32_t up = e.parent;
    for (std::size_t steps = 0; up != 0; ++steps) {
      expect(steps <= t.elements.size(), "a cycle of parents");
      const shell::Element* p = shell::find_element(t, up);
      expect(p != nullptr, "a parent chain leaves the template");
      up = p->parent;
    }
    expect(e.bindings.empty() || shell::raises_events(e.kind), "events bound to an element that raises none");
    for (std::size_t b = 0; b < e.bindings.size(); ++b) {
      expect(known_handler(e.bindings[b].handler), "a binding to a routine outside the table");
      for (std::size_t c = 0; c < b; ++c) {
        expect(e.bindings[c].event != e.bindings[b].event, "an event bound twice");
      }
    }
  }
}

// Writes bytes as a quoted text of the template language, leaving every double-byte character
// whole and unescaped, even when its second byte is a backslash or a quote: the reader must take
// such a pair as one character. A lead byte that would pair with the line end or the closing
// quote is escaped instead, and zero bytes, which no text can hold, are left out.
std::string quoted(std::string_view text, std::string& kept) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  auto escape_hex = [&](unsigned char b) {
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 15];
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0) continue;
    kept += static_cast<char>(b);
    const bool lead = b >= 0x81 && b <= 0xFE;
    if (lead) {
      const bool pairs = i + 1 < text.size() && text[i + 1] != '\0' && text[i + 1] != '\n';
      if (pairs) {
        out += text.substr(i, 2);
        kept += text[i + 1];
        ++i;
      } else {
        escape_hex(b);
      }
    } else if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b == '\n') {
      out += "\\n";
    } else if (b < 0x20) {
      escape_hex(b);
    } else {
      out += static_cast<char>(b);
    }
  }
  out += '"';
  return out;
}

int count_lines(std::string_view data) {
  int lines = 0;
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t end = data.find('\n', pos);
    ++lines;
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The fuzzer's own block is exactly `size` long: a read past the view is an overflow.
  const std::string_view view(reinterpret_cast<const char*>(data), size);
  const shell::ReadResult result = shell::read_templates(view, kHandlers);

  if (result.error) {
    expect(result.templates.empty(), "a failed read still gave templates");
    expect(result.error->reason != nullptr && result.error->reason[0] != '\0', "a failure without a reason");
    expect(result.error->line >= 0 && result.error->line <= count_lines(view), "a failure on a line the data lacks");
  } else {
    expect(!result.templates.empty(), "a successful read without templates");
    expect(view.find('\0') == std::string_view::npos, "data with a zero byte was accepted");
    for (std::size_t i = 0; i < result.templates.size(); ++i) {
      const shell::Template& t = result.templates[i];
      expect(t.window_id != 0, "a window without an id");
      for (std::size_t j = 0; j < i; ++j)
        expect(result.templates[j].window_id != t.window_id, "two windows share an id");
      check_template(t);
    }
  }

  expect(same_result(result, shell::read_templates(view, kHandlers)), "two reads of the same data differ");

  // Lines ended by CR LF read as lines ended by LF.
  if (view.find('\r') == std::string_view::npos && view.find('\n') != std::string_view::npos) {
    std::string crlf;
    crlf.reserve(view.size() * 2);
    for (const char c : view) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    expect(same_result(result, shell::read_templates(crlf, kHandlers)), "CR LF line ends read differently");
  }

  // Any text written out in the template language reads back as the same bytes.
  std::string kept;
  const std::string source = "window w\n  id 1\n  element 2\n  text " + quoted(view.substr(0, 4096), kept) + "\n";
  const shell::ReadResult text_read = shell::read_templates(source, kHandlers);
  expect(!text_read.error, "a well-formed quoted text was refused");
  expect(text_read.templates.size() == 1 && text_read.templates[0].elements.front().text == kept,
         "a quoted text read back as other bytes");

  // A comment added at the end changes nothing that was read.
  if (!result.error) {
    const shell::ReadResult longer = shell::read_templates(std::string(view) + "\n# end\n", kHandlers);
    expect(!longer.error && same_templates(result, longer), "a trailing comment changed the templates");
  }
  return 0;
}
