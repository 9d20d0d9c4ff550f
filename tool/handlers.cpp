#include "tool/handlers.h"

namespace tool {
namespace {

// Template bindings answer no value: can-close and the others go on as usual.
template <void (*Routine)()>
std::optional<std::int32_t> without_value(std::span<const std::int32_t>) {
  Routine();
  return std::nullopt;
}

constexpr shell::HandlerEntry kHandlers[] = {
    {"main_window_created", &without_value<main_window_created>},
    {"query_latency", &without_value<query_latency>},
    {"show_help", &without_value<show_help>},
};

}  // namespace

// Nothing to prepare: the window is complete as its template describes it.
void main_window_created() {}

std::span<const shell::HandlerEntry> handler_table() { return kHandlers; }

}  // namespace tool
