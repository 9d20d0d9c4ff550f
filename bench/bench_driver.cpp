// Times the program from outside, as a user meets it, each measurement side by side with a floor
// that does only what cannot be avoided:
//   bench_driver startup ROUNDS    start to a shown, idle main window, against floor_window.exe
//   bench_driver query ROUNDS      click to result shown, against running the same command line
//                                  and reading its file
//   bench_driver footprint QUERIES private bytes after 1 and after QUERIES queries, and whether
//                                  the result file can be deleted after each query
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_stats.h"
#include "services/handle.h"
#include "tests/gui/driver.h"

namespace {

const std::string kResultFile = "C:\\IP延迟[由Tarvelon[QOVA制作]]生成.txt";
const std::string kQueryAddress = "127.0.0.1 -n 1";
constexpr char kProgramClass[] = "IplWindow";
constexpr char kFloorClass[] = "IplBenchFloor";

struct Found {
  DWORD pid;
  const char* class_name;
  HWND window;
};

BOOL CALLBACK find_shown(HWND hwnd, LPARAM lparam) {
  auto* found = reinterpret_cast<Found*>(lparam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != found->pid || !IsWindowVisible(hwnd) || driver::class_of(hwnd) != found->class_name) return TRUE;
  found->window = hwnd;
  return FALSE;
}

// Milliseconds from CreateProcessA until the program's window of `class_name` is visible and
// answers a message; the program is closed afterwards (not timed).
double time_start(const std::string& path, const char* class_name) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command_line = "\"" + path + "\"";
  const double start = bench::now_ms();
  if (!CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    std::fprintf(stderr, "cannot start %s\n", path.c_str());
    std::exit(1);
  }
  const services::ProcessInformation started(info);
  Found found{started.process_id(), class_name, nullptr};
  for (;;) {
    EnumWindows(find_shown, reinterpret_cast<LPARAM>(&found));
    if (found.window != nullptr) break;
    if (WaitForSingleObject(started.process(), 1) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "%s ended without a window\n", path.c_str());
      std::exit(1);
    }
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(found.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
  const double elapsed = bench::now_ms() - start;

  PostMessageA(found.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(started.process(), 10000) != WAIT_OBJECT_0) TerminateProcess(started.process(), 1);
  return elapsed;
}

int startup(int rounds) {
  const std::string program = driver::program_path("tool/iplatency.exe");
  const std::string floor = driver::program_path("bench/floor_window.exe");
  time_start(program, kProgramClass);
  time_start(floor, kFloorClass);
  std::vector<double> a, b;
  for (int round = 0; round < rounds; ++round) {
    // Which goes first alternates, so that a drift of the machine weighs on both alike.
    if (round % 2 == 0) {
      a.push_back(time_start(program, kProgramClass));
      b.push_back(time_start(floor, kFloorClass));
    } else {
      b.push_back(time_start(floor, kFloorClass));
      a.push_back(time_start(program, kProgramClass));
    }
  }
  bench::print_row("start-up to shown and idle", "ms", a, b, 1.10);
  return 0;
}

// The program's main window and the controls a query uses.
struct MainWindow {
  HWND main = nullptr, address = nullptr, result = nullptr, query = nullptr;
};

bool set_text(HWND edit, const std::string& text) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 10000,
                             &ignored) != 0;
}

MainWindow find_controls(const driver::Program& program) {
  MainWindow w;
  w.main = program.main_window();
  if (w.main == nullptr) return w;
  w.query = driver::child_with_text(w.main, "查看Ping（延迟）");
  for (const driver::Child& c : driver::children(w.main)) {
    if (c.class_name != "Edit") continue;
    ((c.style & ES_MULTILINE) != 0 ? w.result : w.address) = c.hwnd;
  }
  return w;
}

// Milliseconds from the click on 按钮1 until 编辑框2 shows the query's result; the result text
// is returned through `shown`.
double time_query(const MainWindow& w, std::string& shown) {
  static const std::string kMark = "-";
  set_text(w.result, kMark);
  const double start = bench::now_ms();
  PostMessageA(w.query, BM_CLICK, 0, 0);
  // While the query runs its button is disabled; that is read without a message to the program,
  // so the waiting does not slow it down. The text is asked for only once the button is back.
  for (;;) {
    if (IsWindowEnabled(w.query)) {
      shown = driver::window_text(w.result);
      if (shown != kMark) break;
    }
    Sleep(1);
  }
  return bench::now_ms() - start;
}

// The floor of a query: the same command line started hidden, waited for, and its file read.
// Started with no flags, the command interpreter shares the driver's console, as the program's
// does under Wine (the program, started by the driver, passes that console on: no console host
// runs for its queries). `new_console` gives it a console of its own instead, which is what a
// program without a console passes on under Windows; that costs a console host process.
double time_command(bool new_console, std::string& read) {
  std::string line = "CMD /C ping " + kQueryAddress + " >" + kResultFile;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  const double start = bench::now_ms();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, new_console ? CREATE_NEW_CONSOLE : 0, nullptr,
                      nullptr, &startup, &info)) {
    std::fprintf(stderr, "cannot run the command line\n");
    std::exit(1);
  }
  {
    const services::ProcessInformation started(info);
    WaitForSingleObject(started.process(), INFINITE);
  }
  services::FileHandle file{CreateFileA(kResultFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    std::fprintf(stderr, "cannot read the result file\n");
    std::exit(1);
  }
  read.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  ReadFile(file.get(), read.data(), static_cast<DWORD>(read.size()), &got, nullptr);
  read.resize(got);
  return bench::now_ms() - start;
}

int query(int rounds) {
  driver::Program program(driver::program_path("tool/iplatency.exe"));
  const MainWindow w = find_controls(program);
  if (w.query == nullptr || w.address == nullptr || w.result == nullptr || !set_text(w.address, kQueryAddress)) {
    std::fprintf(stderr, "the program's main window is not as expected\n");
    return 1;
  }
  std::string shown, read;
  time_query(w, shown);
  time_command(true, read);
  time_command(false, read);
  if (shown.find("Reply from 127.0.0.1") == std::string::npos ||
      read.find("Reply from 127.0.0.1") == std::string::npos) {
    std::fprintf(stderr, "the query did not reach the loopback address:\n%s\n%s\n", shown.c_str(), read.c_str());
    return 1;
  }
  std::vector<double> a, b, own_console;
  int missing_replies = 0;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      a.push_back(time_query(w, shown));
      missing_replies += shown.find("Reply from 127.0.0.1") == std::string::npos;
      b.push_back(time_command(false, read));
      own_console.push_back(time_command(true, read));
    } else {
      own_console.push_back(time_command(true, read));
      b.push_back(time_command(false, read));
      a.push_back(time_query(w, shown));
      missing_replies += shown.find("Reply from 127.0.0.1") == std::string::npos;
    }
  }
  if (missing_replies != 0) std::printf("  %d of the program's results showed no reply\n", missing_replies);
  bench::print_row("query: click to result shown", "ms", a, b, 1.05);
  bench::print_row("  floor with a console of its own", "ms", a, own_console, 0);
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  program.wait_exit();
  return missing_replies == 0 ? 0 : 1;
}

// Memory of the program's process. GetProcessMemoryInfo under Wine gives the working set of
// another process but no private bytes; the program's Unix process shows them in /proc, which the
// driver reads through drive Z: (Private_Dirty: pages written by this process alone, its heap,
// stacks and the copied pages of its images, the nearest there is to Windows private bytes).
struct Memory {
  double windows_private_kib = 0, working_set_kib = 0;
  double private_dirty_kib = -1, rss_anon_kib = -1;
};

std::string unix_file(const std::string& path) {
  std::string windows = "Z:";
  for (const char c : path) windows += c == '/' ? '\\' : c;
  return driver::read_file(windows);
}

// The kilobytes on the line of /proc text that starts with `key`, or -1.
double kib_field(const std::string& text, const char* key) {
  const std::size_t at = text.find(key);
  return at == std::string::npos ? -1 : std::atof(text.c_str() + at + std::strlen(key));
}

// The Unix process whose first argument is the program's Windows path (Wine puts it there).
std::string unix_pid_of(const std::string& windows_path) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::string found;
  do {
    const std::string name = entry.cFileName;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string command = unix_file("/proc/" + name + "/cmdline");
    if (lstrcmpiA(command.c_str(), windows_path.c_str()) == 0) found = name;
  } while (found.empty() && FindNextFileA(find, &entry));
  FindClose(find);
  return found;
}

Memory memory_of(HANDLE process, const std::string& unix_pid) {
  Memory m;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    m.windows_private_kib = static_cast<double>(counters.PrivateUsage) / 1024.0;
    m.working_set_kib = static_cast<double>(counters.WorkingSetSize) / 1024.0;
  }
  if (!unix_pid.empty()) {
    m.private_dirty_kib = kib_field(unix_file("/proc/" + unix_pid + "/smaps_rollup"), "Private_Dirty:");
    m.rss_anon_kib = kib_field(unix_file("/proc/" + unix_pid + "/status"), "RssAnon:");
  }
  return m;
}

void print_memory(const char* when, const Memory& m) {
  char windows_private[32] = "none given";
  if (m.windows_private_kib > 0)
    std::snprintf(windows_private, sizeof windows_private, "%.0f KiB", m.windows_private_kib);
  std::printf("  %-22s Private_Dirty %6.0f KiB  RssAnon %6.0f KiB  working set %6.0f KiB  PrivateUsage %s\n", when,
              m.private_dirty_kib, m.rss_anon_kib, m.working_set_kib, windows_private);
}

int footprint(int queries) {
  driver::Program program(driver::program_path("tool/iplatency.exe"));
  const MainWindow w = find_controls(program);
  if (w.query == nullptr || w.address == nullptr || w.result == nullptr || !set_text(w.address, kQueryAddress)) {
    std::fprintf(stderr, "the program's main window is not as expected\n");
    return 1;
  }
  const std::string path = driver::program_path("tool/iplatency.exe");
  const std::string unix_pid = unix_pid_of(path);
  const Memory at_start = memory_of(program.process(), unix_pid);
  Memory after_one;
  int deleted = 0;
  int shown_results = 0;
  std::string shown;
  for (int i = 1; i <= queries; ++i) {
    time_query(w, shown);
    if (shown.find("Reply from 127.0.0.1") != std::string::npos) ++shown_results;
    // The program must hold no handle on the file once the result shows.
    if (DeleteFileA(kResultFile.c_str())) ++deleted;
    if (i == 1) after_one = memory_of(program.process(), unix_pid);
  }
  driver::settle(w.main);
  const Memory after_all = memory_of(program.process(), unix_pid);
  std::printf("memory of the x64 test build (Unix pid %s):\n", unix_pid.empty() ? "not found" : unix_pid.c_str());
  print_memory("shown, no query", at_start);
  print_memory("after 1 query", after_one);
  char when[32];
  std::snprintf(when, sizeof when, "after %d queries", queries);
  print_memory(when, after_all);
  std::printf("result file deleted after %d of %d queries; %d of %d results showed the reply\n", deleted, queries,
              shown_results, queries);
  PostMessageA(w.main, WM_CLOSE, 0, 0);
  program.wait_exit();
  return deleted == queries && shown_results == queries ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const int count = argc > 2 ? std::atoi(argv[2]) : 0;
  if (mode == "startup" && count > 0) return startup(count);
  if (mode == "query" && count > 0) return query(count);
  if (mode == "footprint" && count > 0) return footprint(count);
  std::fprintf(stderr, "usage: bench_driver startup|query|footprint COUNT\n");
  return 2;
}
