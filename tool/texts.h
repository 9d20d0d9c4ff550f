#pragma once
// The tool's fixed texts, GBK at run time.

namespace tool::texts {

inline constexpr char kCommandPrefix[] = "CMD /C ping ";
inline constexpr char kRedirection[] = " >";
inline constexpr char kResultFileName[] = "IP延迟[由Tarvelon[QOVA制作]]生成.txt";
inline constexpr char kResultFolder[] = "C:\\";
inline constexpr char kNoAddress[] = "您未输入服务器IP";
inline constexpr char kUnsafeAddress[] = "服务器IP中不能含有 & | < > ^ % 或引号";
inline constexpr char kCannotRun[] = "无法运行ping命令";
inline constexpr char kCannotRead[] = "无法读取结果文件：";

}  // namespace tool::texts
