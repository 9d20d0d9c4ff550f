#include "tests/gui/driver.h"

#include <tlhelp32.h>

#include <cstring>

namespace driver {
namespace {

std::string windows_path(const char* unix_path) {
  std::string path = "Z:";
  for (const char* p = unix_path; *p != '\0'; ++p) path += *p == '/' ? '\\' : *p;
  return path;
}

struct FindContext {
  DWORD pid;
  const char* class_name;
  const char* caption;
  bool visible_only;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_top_level(HWND hwnd, LPARAM lparam) {
  auto* context = reinterpret_cast<FindContext*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != context->pid) return TRUE;
  if (context->visible_only && !IsWindowVisible(hwnd)) return TRUE;
  if (context->class_name != nullptr && class_of(hwnd) != context->class_name) return TRUE;
  if (context->caption != nullptr && window_text(hwnd) != context->caption) return TRUE;
  context->found.push_back(hwnd);
  return TRUE;
}

void remove_tree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        remove_tree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

std::string program_path(const char* relative_to_build) {
  return windows_path(IPL_BUILD_DIR) + "\\" + windows_path(relative_to_build).substr(2);
}

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  static int counter = 0;
  path_ = std::string(base) + "ipltest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { remove_tree(path_); }

Program::Program(const std::string& path, const std::string& directory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command_line = "\"" + path + "\"";
  if (CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    process_ = info.hProcess;
    thread_ = info.hThread;
    pid_ = info.dwProcessId;
    WaitForInputIdle(process_, 10000);
  }
}

Program::~Program() {
  if (process_ != nullptr) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) kill();
    CloseHandle(thread_);
    CloseHandle(process_);
  }
}

void Program::kill() {
  if (process_ == nullptr) return;
  // Message boxes left open would keep the program alive: end it outright.
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 5000);
}

std::vector<HWND> Program::top_level_windows(bool visible_only) const {
  FindContext context{pid_, nullptr, nullptr, visible_only, {}};
  EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&context));
  return context.found;
}

HWND Program::wait_window(const char* class_name, const char* caption, DWORD timeout_ms) const {
  HWND found = nullptr;
  wait_until(
      [&] {
        FindContext context{pid_, class_name, caption, true, {}};
        EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&context));
        if (!context.found.empty()) found = context.found.front();
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

DWORD Program::wait_exit(DWORD timeout_ms) const {
  if (process_ == nullptr) return STILL_ACTIVE;
  if (WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::string window_text(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           10000, &got)) {
    return {};
  }
  text.resize(got);
  return text;
}

std::string class_of(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<Child> children(HWND top) {
  struct Context {
    HWND top;
    std::vector<Child> found;
  } context{top, {}};
  EnumChildWindows(
      top,
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto* c = reinterpret_cast<Context*>(lparam);
        RECT rect;
        GetWindowRect(hwnd, &rect);
        MapWindowPoints(nullptr, c->top, reinterpret_cast<POINT*>(&rect), 2);
        c->found.push_back(Child{hwnd, class_of(hwnd), window_text(hwnd), rect, GetWindowLongA(hwnd, GWL_STYLE),
                                 GetWindowLongA(hwnd, GWL_EXSTYLE), GetDlgCtrlID(hwnd)});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  return context.found;
}

HWND child_with_text(HWND top, const std::string& text) {
  for (const Child& c : children(top)) {
    if (c.text == text) return c.hwnd;
  }
  return nullptr;
}

HWND focus_of(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
  return info.hwndFocus;
}

HWND active_of(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
  return info.hwndActive;
}

void bring_to_front(HWND top) {
  SetForegroundWindow(top);
  wait_until([&] { return GetForegroundWindow() == top; }, 3000);
  settle(top);
}

void press(WORD virtual_key, std::initializer_list<WORD> modifiers) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD m : modifiers) key(m, false);
  key(virtual_key, false);
  key(virtual_key, true);
  for (auto it = modifiers.end(); it != modifiers.begin();) key(*--it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  HWND foreground = GetForegroundWindow();
  if (foreground != nullptr) settle(foreground);
}

void type_text(const std::string& ascii) {
  for (char c : ascii) {
    const SHORT scan = VkKeyScanA(c);
    const WORD vk = LOBYTE(scan);
    if ((HIBYTE(scan) & 1) != 0) {
      press(vk, {VK_SHIFT});
    } else {
      press(vk);
    }
  }
}

bool settle(HWND hwnd, DWORD timeout_ms) {
  DWORD_PTR ignored = 0;
  // Twice: input may still be on its way through the server the first time.
  for (int i = 0; i < 2; ++i) {
    if (!SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &ignored)) return false;
    Sleep(10);
  }
  return true;
}

bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

MessageBoxContent read_message_box(HWND box) {
  MessageBoxContent content{window_text(box), {}};
  for (const Child& c : children(box)) {
    if (c.class_name == "Static" && !c.text.empty()) content.text = c.text;
  }
  return content;
}

void answer_message_box(HWND box, int button_id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), 0);
}

std::vector<std::pair<DWORD, std::string>> child_processes(DWORD pid) {
  std::vector<std::pair<DWORD, std::string>> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == pid) found.emplace_back(entry.th32ProcessID, entry.szExeFile);
  }
  CloseHandle(snapshot);
  return found;
}

bool process_alive(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return false;
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return alive;
}

std::string current_directory_of(HANDLE process) {
  using QueryInformation = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  struct BasicInformation {
    void* reserved1;
    void* peb;
    void* reserved2[2];
    ULONG_PTR pid;
    void* reserved3;
  } basic{};
  if (query == nullptr || query(process, 0, &basic, sizeof basic, nullptr) != 0) return {};
  // PEB.ProcessParameters, then its CurrentDirectory.DosPath (a counted UTF-16 string).
  const SIZE_T parameters_offset = sizeof(void*) == 8 ? 0x20 : 0x10;
  const SIZE_T directory_offset = sizeof(void*) == 8 ? 0x38 : 0x24;
  void* parameters = nullptr;
  if (!ReadProcessMemory(process, static_cast<char*>(basic.peb) + parameters_offset, &parameters, sizeof parameters,
                         nullptr)) {
    return {};
  }
  struct CountedString {
    USHORT length;
    USHORT maximum;
    wchar_t* buffer;
  } dos_path{};
  if (!ReadProcessMemory(process, static_cast<char*>(parameters) + directory_offset, &dos_path, sizeof dos_path,
                         nullptr)) {
    return {};
  }
  std::wstring wide(dos_path.length / sizeof(wchar_t), L'\0');
  if (!ReadProcessMemory(process, dos_path.buffer, wide.data(), dos_path.length, nullptr)) return {};
  char narrow[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), narrow, sizeof narrow - 1, nullptr,
                      nullptr);
  return narrow;
}

std::string read_file(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

bool write_file(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

std::string screenshot(HWND window, const char* name) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return {};
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD image_size = row * static_cast<DWORD>(height);
  BITMAPFILEHEADER file_header{};
  file_header.bfType = 0x4D42;
  file_header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file_header.bfSize = file_header.bfOffBits + image_size;
  std::string bytes(reinterpret_cast<const char*>(&file_header), sizeof file_header);
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  bytes.append(static_cast<const char*>(bits), image_size);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const std::string folder = windows_path(IPL_BUILD_DIR) + "\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name + ".bmp";
  return write_file(path, bytes) ? path : std::string{};
}

}  // namespace driver
