#include "shell/events.h"

#include "shell/fatal_error.h"
#include "shell/process_state.h"
#include "shell/window.h"

namespace shell {

EventOutcome raise_event(std::uint32_t window_id, std::uint32_t element_id, std::int32_t event,
                         std::span<const std::int32_t> arguments) {
  ProcessState& s = state();
  if (s.event_suppression > 0) return {};
  const WindowState* ws = find_window_state(window_id);
  if (ws == nullptr) raise_fatal_error("未找到引发事件的窗口", 0);
  const Element* element = find_element(ws->tmpl, element_id);
  if (element == nullptr) raise_fatal_error("未找到引发事件的窗口组件", 0);
  if (!raises_events(element->kind)) raise_fatal_error("引发事件的窗口组件无效", 0);
  Handler handler = nullptr;
  for (const Binding& b : element->bindings) {
    if (b.event == event) handler = b.handler;
  }
  if (handler == nullptr) return {};
  const EventSource outer = s.event_source;
  s.event_source = EventSource{window_id, element_id};
  EventOutcome outcome{true, handler(arguments)};
  s.event_source = outer;
  return outcome;
}

SuppressEvents::SuppressEvents() { ++state().event_suppression; }
SuppressEvents::~SuppressEvents() { --state().event_suppression; }

}  // namespace shell
