#include "shell/template_reader.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace shell {
namespace {

// One line split into words. A quoted word keeps its bytes, with \\ \" \r \n \t and \xHH
// escapes; double-byte characters are taken whole, so a GBK second byte of 0x5C is never an
// escape.
struct Words {
  std::vector<std::string> items;
  std::vector<std::uint8_t> quoted;  // per word: it was quoted
  bool ok = true;
};

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_lead_byte(unsigned char c) { return c >= 0x81 && c != 0xFF; }

Words split(std::string_view line) {
  Words words;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    std::string word;
    if (c == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (is_lead_byte(b) && i + 1 < line.size()) {
          word.append(line.substr(i, 2));
          i += 2;
        } else if (b == '"') {
          ++i;
          closed = true;
          break;
        } else if (b == '\\') {
          if (i + 1 >= line.size()) break;
          const char e = line[i + 1];
          i += 2;
          switch (e) {
            case '\\':
              word += '\\';
              break;
            case '"':
              word += '"';
              break;
            case 'r':
              word += '\r';
              break;
            case 'n':
              word += '\n';
              break;
            case 't':
              word += '\t';
              break;
            case 'x': {
              const int hi = i < line.size() ? hex_value(line[i]) : -1;
              const int lo = i + 1 < line.size() ? hex_value(line[i + 1]) : -1;
              if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
                words.ok = false;
                return words;
              }
              word += static_cast<char>(hi * 16 + lo);
              i += 2;
              break;
            }
            default:
              words.ok = false;
              return words;
          }
        } else {
          word += static_cast<char>(b);
          ++i;
        }
      }
      if (!closed) {
        words.ok = false;
        return words;
      }
      if (i < line.size() && line[i] != ' ' && line[i] != '\t') {
        words.ok = false;
        return words;
      }
      words.items.push_back(std::move(word));
      words.quoted.push_back(true);
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
      words.items.push_back(std::move(word));
      words.quoted.push_back(false);
    }
  }
  return words;
}

bool parse_integer(const std::string& word, long long low, long long high, long long& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < word.size() && word[i] == '-') {
    negative = true;
    ++i;
  }
  unsigned base = 10;
  if (word.size() - i > 2 && word[i] == '0' && (word[i + 1] == 'x' || word[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= word.size()) return false;
  unsigned long long value = 0;
  for (; i < word.size(); ++i) {
    const int digit = hex_value(word[i]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFULL) return false;
  }
  const long long signed_value = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
  if (signed_value < low || signed_value > high) return false;
  out = signed_value;
  return true;
}

struct Reader {
  std::span<const HandlerEntry> handlers;
  ReadResult result;
  std::vector<std::string> parent_names;  // per element of the current template
  int line_number = 0;

  bool fail(const char* reason) {
    if (!result.error) result.error = ReadError{line_number, reason};
    return false;
  }

  Template* current() { return result.templates.empty() ? nullptr : &result.templates.back(); }

  bool start_element(const Words& w) {
    static constexpr struct {
      const char* word;
      Kind kind;
    } kinds[] = {{"window", Kind::window},
                 {"edit", Kind::edit},
                 {"label", Kind::label},
                 {"group", Kind::group},
                 {"button", Kind::button}};
    if (w.items.size() != 2 || w.quoted[0]) return fail("an element starts with its kind and name");
    const Kind* kind = nullptr;
    for (const auto& k : kinds) {
      if (w.items[0] == k.word) kind = &k.kind;
    }
    if (kind == nullptr) return fail("unknown kind of element");
    if (*kind == Kind::window) {
      if (!finish_template()) return false;
      result.templates.emplace_back();
      parent_names.clear();
    } else if (current() == nullptr) {
      return fail("a control comes before any window");
    }
    Element e;
    e.kind = *kind;
    e.name = w.items[1];
    if (*kind == Kind::edit) e.back = Colour{false, 0xFFFFFF};
    current()->elements.push_back(std::move(e));
    parent_names.emplace_back();
    return true;
  }

  bool flag(const Words& w, bool& out) {
    if (w.items.size() != 2) return fail("a setting takes yes or no");
    if (w.items[1] == "yes") {
      out = true;
    } else if (w.items[1] == "no") {
      out = false;
    } else {
      return fail("a setting takes yes or no");
    }
    return true;
  }

  bool number(const Words& w, std::size_t at, long long low, long long high, long long& out) {
    if (at >= w.items.size() || w.quoted[at] || !parse_integer(w.items[at], low, high, out)) {
      return fail("a number is malformed or out of range");
    }
    return true;
  }

  template <typename E, std::size_t N>
  bool choice(const Words& w, const std::pair<const char*, E> (&options)[N], E& out) {
    if (w.items.size() == 2) {
      for (const auto& [word, value] : options) {
        if (w.items[1] == word) {
          out = value;
          return true;
        }
      }
    }
    return fail("a setting has an unknown value");
  }

  bool colour(const std::string& word, Colour& out) {
    if (word == "face") {
      out = Colour{};
      return true;
    }
    long long value = 0;
    if (!parse_integer(word, 0, 0xFFFFFF, value)) return fail("a colour is face or 0xRRGGBB");
    const auto rgb = static_cast<std::uint32_t>(value);
    // Stored as the system keeps it: red in the low byte.
    out = Colour{false, ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16)};
    return true;
  }

  bool binding(const Words& w, Element& e) {
    if (w.items.size() != 3) return fail("a binding is: on <event> <handler>");
    static constexpr struct {
      const char* word;
      std::int32_t number;
      bool window, button, edit;
    } events[] = {{"created", event::created, true, false, false},
                  {"can-close", event::can_close, true, false, false},
                  {"destroying", event::destroying, true, false, false},
                  {"clicked", event::clicked, false, true, false},
                  {"content-changed", event::content_changed, false, false, true},
                  {"got-focus", event::got_focus, true, true, true},
                  {"lost-focus", event::lost_focus, false, true, true}};
    if (!raises_events(e.kind)) return fail("this kind of element raises no events");
    std::int32_t number = 0;
    bool known = false;
    for (const auto& ev : events) {
      if (w.items[1] != ev.word) continue;
      const bool fits = (e.kind == Kind::window && ev.window) || (e.kind == Kind::button && ev.button) ||
                        (e.kind == Kind::edit && ev.edit);
      if (!fits) return fail("this kind of element has no such event");
      number = ev.number;
      known = true;
    }
    if (!known) {
      long long value = 0;
      if (!parse_integer(w.items[1], INT32_MIN, INT32_MAX, value)) return fail("unknown event");
      number = static_cast<std::int32_t>(value);
    }
    Handler routine = nullptr;
    if (w.items[2] != "none") {
      for (const HandlerEntry& h : handlers) {
        if (w.items[2] == h.name) routine = h.routine;
      }
      if (routine == nullptr) return fail("a binding names a handler the program does not have");
    }
    for (const Binding& b : e.bindings) {
      if (b.event == number) return fail("an event is bound twice");
    }
    e.bindings.push_back(Binding{number, routine});
    return true;
  }

  bool setting(const Words& w) {
    Template* t = current();
    if (t == nullptr) return fail("a setting comes before any element");
    Element& e = t->elements.back();
    const std::string& key = w.items[0];
    const bool is_window = e.kind == Kind::window;
    long long v = 0;
    if (key == "id") {
      if (w.items.size() != 2 || !number(w, 1, 1, 0xFFFFFFFFLL, v)) return fail("id takes one nonzero number");
      (is_window ? t->window_id : e.id) = static_cast<std::uint32_t>(v);
      return true;
    }
    if (key == "element" && is_window) {
      if (w.items.size() != 2 || !number(w, 1, 1, 0xFFFFFFFFLL, v)) return fail("element takes one nonzero number");
      e.id = static_cast<std::uint32_t>(v);
      return true;
    }
    if (key == "bounds") {
      if (w.items.size() != 5) return fail("bounds takes left, top, width and height");
      int* fields[] = {&e.left, &e.top, &e.width, &e.height};
      for (std::size_t i = 0; i < 4; ++i) {
        if (!number(w, i + 1, i < 2 ? -32768 : 0, 32767, v)) return false;
        *fields[i] = static_cast<int>(v);
      }
      return true;
    }
    if (key == "text") {
      if (w.items.size() != 2 || !w.quoted[1]) return fail("text takes one quoted text");
      e.text = w.items[1];
      return true;
    }
    if (key == "parent" && !is_window) {
      if (w.items.size() != 2) return fail("parent takes a name");
      parent_names.back() = w.items[1];
      return true;
    }
    if (key == "visible") return flag(w, e.visible);
    if (key == "disabled") return flag(w, e.disabled);
    if (key == "tab-stop") return flag(w, e.tab_stop);
    if (key == "tab-order") {
      if (w.items.size() != 2 || !number(w, 1, INT32_MIN, INT32_MAX, v)) return fail("tab-order takes a number");
      e.tab_order = static_cast<std::int32_t>(v);
      return true;
    }
    if (key == "colours") {
      if (w.items.size() != 3) return fail("colours takes a text and a background colour");
      return colour(w.items[1], e.fore) && colour(w.items[2], e.back);
    }
    if (key == "on") return binding(w, e);
    if (is_window) {
      if (key == "placement") {
        static constexpr std::pair<const char*, Placement> options[] = {{"as-given", Placement::as_given},
                                                                        {"centre-screen", Placement::centre_screen}};
        return choice(w, options, e.placement);
      }
      if (key == "start") {
        static constexpr std::pair<const char*, StartState> options[] = {
            {"normal", StartState::normal}, {"minimised", StartState::minimised}, {"maximised", StartState::maximised}};
        return choice(w, options, e.start);
      }
      if (key == "frame") {
        static constexpr std::pair<const char*, bool> options[] = {{"fixed", false}, {"sizable", true}};
        return choice(w, options, e.sizable);
      }
      if (key == "taskbar") return flag(w, e.taskbar);
      if (key == "topmost") return flag(w, e.topmost);
      if (key == "esc-closes") return flag(w, e.esc_closes);
      if (key == "enter-moves-focus") return flag(w, e.enter_moves_focus);
      if (key == "f1-help") return flag(w, e.f1_help);
    }
    if (e.kind == Kind::edit) {
      if (key == "multiline") return flag(w, e.multiline);
      if (key == "read-only") return flag(w, e.read_only);
      if (key == "border") {
        static constexpr std::pair<const char*, Border> options[] = {{"none", Border::none},
                                                                     {"sunken", Border::sunken}};
        return choice(w, options, e.border);
      }
      if (key == "scroll-bars") {
        static constexpr std::pair<const char*, ScrollBars> options[] = {{"none", ScrollBars::none},
                                                                         {"vertical", ScrollBars::vertical},
                                                                         {"horizontal", ScrollBars::horizontal},
                                                                         {"both", ScrollBars::both}};
        return choice(w, options, e.scroll_bars);
      }
      if (key == "max-length") {
        if (w.items.size() != 2 || !number(w, 1, 0, INT32_MAX, v)) return fail("max-length takes a number");
        e.max_length = static_cast<std::int32_t>(v);
        return true;
      }
    }
    if (e.kind == Kind::label && key == "word-wrap") return flag(w, e.word_wrap);
    if (e.kind == Kind::button && key == "default") return flag(w, e.default_button);
    return fail("unknown setting for this kind of element");
  }

  // Checks a finished template: identifiers given and unique, parents resolved to containers.
  bool finish_template() {
    Template* t = current();
    if (t == nullptr) return true;
    if (t->window_id == 0 || t->elements.front().id == 0) return fail("a window needs its id and element");
    for (const Template& other : result.templates) {
      if (&other != t && other.window_id == t->window_id) return fail("two windows share an id");
    }
    for (std::size_t i = 0; i < t->elements.size(); ++i) {
      Element& e = t->elements[i];
      if (e.id == 0) return fail("a control needs its id");
      for (std::size_t j = 0; j < i; ++j) {
        if (t->elements[j].id == e.id) return fail("two elements of a window share an id");
      }
      if (parent_names[i].empty()) continue;
      const Element* parent = nullptr;
      for (const Element& candidate : t->elements) {
        if (candidate.name == parent_names[i]) parent = &candidate;
      }
      if (parent == nullptr || (parent->kind != Kind::window && !is_container(parent->kind)) || parent == &e) {
        return fail("a parent names no container of the window");
      }
      e.parent = parent->kind == Kind::window ? 0 : parent->id;
    }
    // A chain of containers must end at the window.
    for (const Element& e : t->elements) {
      std::uint32_t up = e.parent;
      for (std::size_t steps = 0; up != 0; ++steps) {
        if (steps > t->elements.size()) return fail("containers hold each other");
        const Element* p = find_element(*t, up);
        up = p != nullptr ? p->parent : 0;
      }
    }
    return true;
  }
};

}  // namespace

ReadResult read_templates(std::string_view data, std::span<const HandlerEntry> handlers) {
  Reader reader;
  reader.handlers = handlers;
  std::size_t pos = 0;
  bool ok = true;
  while (ok && pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    std::string_view line = data.substr(pos, end - pos);
    pos = end + 1;
    ++reader.line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
      ok = reader.fail("a zero byte in the data");
      break;
    }
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    const Words words = split(line);
    if (!words.ok) {
      ok = reader.fail("a quoted text is malformed");
      break;
    }
    ok = first == 0 ? reader.start_element(words) : reader.setting(words);
  }
  if (ok) ok = reader.finish_template();
  if (ok && reader.result.templates.empty()) ok = reader.fail("the data holds no window");
  if (!ok) reader.result.templates.clear();
  return std::move(reader.result);
}

}  // namespace shell
