#pragma once
// Events: a numbered event of an element reaches the handler its template binds to it.
#include <cstdint>
#include <optional>
#include <span>

namespace shell {

struct EventOutcome {
  bool handled = false;               // a handler ran
  std::optional<std::int32_t> value;  // what it answered, if it answered
};

// Nothing happens while events are suppressed. A window or element that has no template entry,
// or an element of a kind that raises no events, is the fatal runtime error.
EventOutcome raise_event(std::uint32_t window_id, std::uint32_t element_id, std::int32_t event,
                         std::span<const std::int32_t> arguments = {});

// Suppresses every event for its lifetime.
class SuppressEvents {
 public:
  SuppressEvents();
  ~SuppressEvents();
  SuppressEvents(const SuppressEvents&) = delete;
  SuppressEvents& operator=(const SuppressEvents&) = delete;
};

}  // namespace shell
