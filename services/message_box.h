#pragma once
// The system's message box, at least task-modal, owned by no window.
#include <windows.h>

#include <cstdint>

namespace services {

// "信息：" in GBK, ending in the full-width colon.
extern const char kDefaultTitle[];

// The style given to the system: task-modal added unless the style asks for system-modal.
UINT message_box_style(std::int32_t style);

// Which button closed the box: IDOK..IDNO become 0..6; anything else, including the 0 of a box
// that could not be shown, is 0 like OK.
std::int32_t message_box_result(int id);

// Returns when the box has been closed. An absent message or title shows as empty.
std::int32_t show_message_box(const char* message, std::int32_t style = 0, const char* title = kDefaultTitle);

}  // namespace services
