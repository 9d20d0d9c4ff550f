#pragma once
// Reading and writing a control's properties. The program uses the content of an edit box.
#include <cstdint>

#include "shell/memory.h"

namespace shell {

namespace property {
inline constexpr std::int32_t visible = 5;
inline constexpr std::int32_t disabled = 6;
inline constexpr std::int32_t mouse_pointer = 7;  // a system cursor identifier; 0 for the default
inline constexpr std::int32_t content = 8;
}  // namespace property

// The control's text: a new text each time, or the absent text when it is empty.
Text read_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property, std::int32_t index = -1);

// Replaces the control's text byte for byte (absent counts as empty), then raises its
// content-changed event once. The text stays the caller's.
void write_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property, const char* value,
                    std::int32_t index = -1);

// The number-valued properties shared by every element: visible, disabled, mouse pointer.
std::int32_t read_number_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property);
void write_number_property(std::uint32_t window_id, std::uint32_t element_id, std::int32_t property,
                           std::int32_t value);

}  // namespace shell
