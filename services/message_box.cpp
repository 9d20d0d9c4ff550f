#include "services/message_box.h"

namespace services {

const char kDefaultTitle[] = "信息：";

UINT message_box_style(std::int32_t style) {
  const auto bits = static_cast<UINT>(style);
  return (bits & MB_SYSTEMMODAL) != 0 ? bits : bits | MB_TASKMODAL;
}

std::int32_t message_box_result(int id) { return id >= IDOK && id <= IDNO ? id - 1 : 0; }

std::int32_t show_message_box(const char* message, std::int32_t style, const char* title) {
  const int id =
      MessageBoxA(nullptr, message != nullptr ? message : "", title != nullptr ? title : "", message_box_style(style));
  return message_box_result(id);
}

}  // namespace services
