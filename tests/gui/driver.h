#pragma once
// The test driver: starts a program of the project under Wine, finds its windows and works
// them from outside as a user would (keys, clicks), and reads what they show.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace driver {

// The Windows path of a program built beside the tests, e.g. program_path("tool/iplatency.exe").
std::string program_path(const char* relative_to_build);

// A folder of its own under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const char* name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

struct Child {
  HWND hwnd;
  std::string class_name;
  std::string text;
  RECT rect;  // in the client coordinates of the top-level window
  LONG style;
  LONG ex_style;
  int id;
};

class Program {
 public:
  // Starts the program; `directory` is its current directory at start (empty: the driver's).
  explicit Program(const std::string& path, const std::string& directory = "");
  ~Program();  // ends the program if it still runs
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }
  HANDLE process() const { return process_; }

  // The first visible top-level window of the program whose class is `class_name` (and whose
  // caption is `caption` when given), waited for up to `timeout_ms`.
  HWND wait_window(const char* class_name, const char* caption = nullptr, DWORD timeout_ms = 10000) const;
  HWND main_window(DWORD timeout_ms = 10000) const { return wait_window("IplWindow", nullptr, timeout_ms); }
  // A message box of the program, waited for.
  HWND wait_message_box(DWORD timeout_ms = 10000) const { return wait_window("#32770", nullptr, timeout_ms); }
  std::vector<HWND> top_level_windows(bool visible_only = true) const;

  // Waits for the end of the program; returns its exit code, or STILL_ACTIVE after the timeout.
  DWORD wait_exit(DWORD timeout_ms = 10000) const;
  void kill();

 private:
  HANDLE process_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD pid_ = 0;
};

std::string window_text(HWND hwnd);
std::string class_of(HWND hwnd);
// The children of a window, in the order the system keeps them (top of the stacking order first).
std::vector<Child> children(HWND top);
// The child with the given text, or null.
HWND child_with_text(HWND top, const std::string& text);
// The keyboard focus of the window's thread.
HWND focus_of(HWND top);
HWND active_of(HWND top);

// Input as a user types it, to the foreground window.
void bring_to_front(HWND top);
void press(WORD virtual_key, std::initializer_list<WORD> modifiers = {});
void type_text(const std::string& ascii);

// Asks the window to do something and waits until it has (false when it does not answer).
bool settle(HWND hwnd, DWORD timeout_ms = 5000);
// Polls `condition` every 20 ms until it holds or the time is up.
bool wait_until(const std::function<bool()>& condition, DWORD timeout_ms = 10000);

// A message box's title and text, and pressing its button by identifier.
struct MessageBoxContent {
  std::string title;
  std::string text;
};
MessageBoxContent read_message_box(HWND box);
void answer_message_box(HWND box, int button_id = IDOK);

// Processes alive now whose parent is `pid`, with their executable names.
std::vector<std::pair<DWORD, std::string>> child_processes(DWORD pid);
bool process_alive(DWORD pid);

// The current directory of another process, read from its process parameters.
std::string current_directory_of(HANDLE process);

std::string read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& bytes);

// Saves a picture of the window as it is on the screen into build/screenshots/NAME.bmp (the
// test script turns these into PNG files); returns the Windows path, empty on failure.
std::string screenshot(HWND window, const char* name);

}  // namespace driver
