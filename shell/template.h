#pragma once
// A window template in memory: the window element, then its controls, in template order. Pure
// data, read from the template text at start-up; no window system types here.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace shell {

// A handler of the program. Events may pass 32-bit arguments; a handler may answer a value,
// which only can-close looks at.
using Handler = std::optional<std::int32_t> (*)(std::span<const std::int32_t> arguments);

struct HandlerEntry {
  const char* name;
  Handler routine;
};

enum class Kind : std::uint8_t { window, edit, label, group, button };

// Event numbers, per kind of element.
namespace event {
inline constexpr std::int32_t created = 0;
inline constexpr std::int32_t can_close = 1;
inline constexpr std::int32_t destroying = 2;
inline constexpr std::int32_t after_created_1 = 3;
inline constexpr std::int32_t after_created_2 = 4;
inline constexpr std::int32_t clicked = 0;
inline constexpr std::int32_t content_changed = 0;
inline constexpr std::int32_t got_focus = -7;
inline constexpr std::int32_t lost_focus = -8;
}  // namespace event

enum class StartState : std::uint8_t { normal, minimised, maximised };
enum class Placement : std::uint8_t { as_given, centre_screen };
enum class Border : std::uint8_t { none, sunken };
enum class ScrollBars : std::uint8_t { none, vertical, horizontal, both };

struct Binding {
  std::int32_t event;
  Handler handler;  // null: the binding names no routine
};

struct Colour {
  bool system_face = true;  // the button-face colour, looked up at each paint
  std::uint32_t rgb = 0;    // 0x00BBGGRR when not system_face
};

struct Element {
  Kind kind = Kind::window;
  std::uint32_t id = 0;
  std::string name;
  std::uint32_t parent = 0;  // element identifier of a container; 0 for the window itself
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = true, disabled = false, tab_stop = false;
  std::int32_t tab_order = 0;
  std::string text;  // caption or content, GBK
  std::vector<Binding> bindings;
  Colour fore{false, 0x000000}, back{};

  // Window settings.
  Placement placement = Placement::as_given;
  StartState start = StartState::normal;
  bool sizable = false;  // a thick frame with minimise and maximise boxes, instead of a fixed frame
  bool taskbar = true, topmost = false, esc_closes = false, enter_moves_focus = false, f1_help = false;

  // Edit box settings.
  bool multiline = false, read_only = false;
  Border border = Border::none;
  ScrollBars scroll_bars = ScrollBars::none;
  std::int32_t max_length = 0;

  // Label settings.
  bool word_wrap = false;

  // Button settings.
  bool default_button = false;
};

struct Template {
  std::uint32_t window_id = 0;
  std::vector<Element> elements;  // elements[0] is the window
};

bool is_container(Kind kind);
bool raises_events(Kind kind);
const Element* find_element(const Template& t, std::uint32_t element_id);

}  // namespace shell
