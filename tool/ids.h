#pragma once
// Identifiers of the program's windows and of the controls its handlers address.
#include <cstdint>

namespace tool::ids {

inline constexpr std::uint32_t kMainWindow = 0x52010001;
inline constexpr std::uint32_t kMainWindowElement = 0x06010000;
inline constexpr std::uint32_t kAddressBox = 0x16010002;   // 编辑框1
inline constexpr std::uint32_t kResultBox = 0x16010006;    // 编辑框2
inline constexpr std::uint32_t kQueryButton = 0x1601000E;  // 按钮1
inline constexpr std::uint32_t kHelpButton = 0x16010018;   // 按钮2
inline constexpr std::uint32_t kHelpWindow = 0x5201001A;
inline constexpr std::uint32_t kHelpWindowElement = 0x06010019;

}  // namespace tool::ids
