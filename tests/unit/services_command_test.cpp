// Starting programs: show states, failing at once, the two plain waits, a custom wait and the job
// that ends what it holds. The long-running program is this test program itself, started as the
// helper test below.
#include <windows.h>
// Needs the types of windows.h before it.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "services/command.h"
#include "services/handle.h"

namespace {

using services::KernelHandle;

// Environment variables through which a test tells its helper what to do; children inherit them.
constexpr char kReleaseVariable[] = "IPL_SERVICES_TEST_RELEASE";
constexpr char kReportVariable[] = "IPL_SERVICES_TEST_REPORT";

std::string self_path() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string helper_line(const char* helper) {
  return "\"" + self_path() +
         "\" --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter=CommandHelper.DISABLED_" + helper;
}

std::string read_file(const std::string& file) {
  const services::FileHandle handle{
      CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)};
  if (!handle) return "(no file)";
  char bytes[256] = {};
  DWORD read = 0;
  ReadFile(handle.get(), bytes, sizeof bytes, &read, nullptr);
  return std::string(bytes, read);
}

std::string self_name() {
  const std::string path = self_path();
  return path.substr(path.find_last_of('\\') + 1);
}

// The programs that `parent` started from this test program's file.
std::vector<DWORD> helpers_of(DWORD parent) {
  std::vector<DWORD> children;
  const std::string name = self_name();
  // A failed snapshot is INVALID_HANDLE_VALUE, like a failed CreateFileA.
  const services::FileHandle snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && Process32First(snapshot.get(), &entry); more;
       more = Process32Next(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, name.c_str()) == 0) {
      children.push_back(entry.th32ProcessID);
    }
  }
  return children;
}

// The first helper that `parent` starts, once it is there (it may still be starting up).
KernelHandle first_helper_of(DWORD parent) {
  const ULONGLONG give_up = GetTickCount64() + 10000;
  while (GetTickCount64() < give_up) {
    for (const DWORD id : helpers_of(parent)) {
      KernelHandle child{OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)};
      if (child) return child;
    }
    Sleep(20);
  }
  return KernelHandle{};
}

bool running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

bool ends_within(HANDLE process, DWORD milliseconds) {
  return WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
}

// Lets helpers run until the test is done with them, and ends them then even when it failed.
class HelperRelease {
 public:
  HelperRelease() {
    const std::string name =
        "ipl-services-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    event_.reset(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
    SetEnvironmentVariableA(kReleaseVariable, name.c_str());
  }
  HelperRelease(const HelperRelease&) = delete;
  HelperRelease& operator=(const HelperRelease&) = delete;
  ~HelperRelease() {
    SetEvent(event_.get());
    SetEnvironmentVariableA(kReleaseVariable, nullptr);
  }

 private:
  KernelHandle event_;
};

// A fresh folder with GBK characters in its name, removed with what is in it.
class CommandTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    folder_ = std::string(temp) + "IP延迟-cmd-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
  }
  void TearDown() override {
    for (const std::string& file : files_) DeleteFileA(file.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::string path(const std::string& name) {
    files_.push_back(folder_ + "\\" + name);
    return files_.back();
  }

  std::string folder_;
  std::vector<std::string> files_;
};

// A custom wait that keeps its own handle to the process and returns at once.
struct KeptProcess {
  KernelHandle process;
  int calls = 0;
};

bool keep_process(HANDLE process, void* context) {
  auto* kept = static_cast<KeptProcess*>(context);
  ++kept->calls;
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
  kept->process.reset(copy);
  return false;
}

}  // namespace

// Not checks: the programs that the tests below start, this test program run with the disabled
// tests on. Each does nothing when not started by a test.
TEST(CommandHelper, DISABLED_StaysUntilReleased) {
  char name[MAX_PATH] = {};
  if (GetEnvironmentVariableA(kReleaseVariable, name, sizeof name) == 0) GTEST_SKIP();
  // No event: the test that started this one is over already.
  const KernelHandle release{OpenEventA(SYNCHRONIZE, FALSE, name)};
  if (release) WaitForSingleObject(release.get(), 60000);
}

TEST(CommandHelper, DISABLED_ReportsItsStartUp) {
  char file[MAX_PATH] = {};
  if (GetEnvironmentVariableA(kReportVariable, file, sizeof file) == 0) GTEST_SKIP();
  STARTUPINFOA startup{};
  GetStartupInfoA(&startup);
  FILE* out = std::fopen(file, "w");
  ASSERT_NE(out, nullptr);
  std::fprintf(out, "%lu %u", static_cast<unsigned long>(startup.dwFlags), static_cast<unsigned>(startup.wShowWindow));
  std::fclose(out);
}

TEST(ShowStateFor, LimitsTheModeToOneToSixAndMapsIt) {
  struct Case {
    std::int32_t mode;
    WORD state;
  };
  const Case cases[] = {
      {INT32_MIN, SW_HIDE},     {-5, SW_HIDE},         {0, SW_HIDE},           {1, SW_HIDE},     {2, SW_SHOWNORMAL},
      {3, SW_SHOWMINIMIZED},    {4, SW_SHOWMAXIMIZED}, {5, SW_SHOWNOACTIVATE}, {6, SW_MINIMIZE}, {7, SW_MINIMIZE},
      {INT32_MAX, SW_MINIMIZE},
  };
  for (const Case& c : cases) EXPECT_EQ(services::show_state_for(c.mode), c.state) << "show mode " << c.mode;
}

TEST_F(CommandTest, TheStartedProgramGetsTheShowState) {
  struct Case {
    std::int32_t mode;
    WORD state;
  };
  const Case cases[] = {{0, SW_HIDE}, {2, SW_SHOWNORMAL}, {5, SW_SHOWNOACTIVATE}, {9, SW_MINIMIZE}};
  // Not in the GBK-named folder: Wine's GetEnvironmentVariableA cuts a value short by one byte
  // for every two-byte character in it.
  char temp[MAX_PATH] = {};
  ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
  const std::string report = std::string(temp) + "ipl-startup-" + std::to_string(GetCurrentProcessId()) + ".txt";
  files_.push_back(report);
  SetEnvironmentVariableA(kReportVariable, report.c_str());
  for (const Case& c : cases) {
    DeleteFileA(report.c_str());
    ASSERT_TRUE(services::run_command_line(helper_line("ReportsItsStartUp").c_str(), true, c.mode));
    EXPECT_EQ(read_file(report), std::to_string(STARTF_USESHOWWINDOW) + " " + std::to_string(c.state))
        << "show mode " << c.mode;
  }
  SetEnvironmentVariableA(kReportVariable, nullptr);
}

// Asked to wait, a call that waited on anything here would never return: the test's own time
// limit is what catches that, no clock is read.
TEST(RunCommandLine, FailsAtOnceWhenNothingCanBeStarted) {
  const char* const lines[] = {nullptr, "", "no-such-program-xyz.exe arg"};
  for (const char* line : lines) {
    EXPECT_FALSE(services::run_command_line(line, true)) << (line ? line : "(absent)");
  }
}

TEST_F(CommandTest, AWaitedCommandHasDoneItsWorkWhenTheCallReturns) {
  const std::string out = path("hello.txt");
  const std::string line = "cmd /c echo hello>\"" + out + "\"";
  bool ended = false;
  services::CommandOptions options;
  options.wait = true;
  options.show_mode = 1;
  options.ended = &ended;
  ASSERT_TRUE(services::run_command(line.c_str(), options));
  EXPECT_TRUE(ended);
  EXPECT_EQ(read_file(out), "hello\r\n");
}

TEST(RunCommandLine, WithoutWaitReturnsWhileTheProgramGoesOn) {
  const HelperRelease release;
  ASSERT_TRUE(services::run_command_line(helper_line("StaysUntilReleased").c_str(), false, 1));
  // Returned while the program still runs: it is there, and does not end meanwhile.
  const KernelHandle child = first_helper_of(GetCurrentProcessId());
  ASSERT_TRUE(child);
  EXPECT_FALSE(ends_within(child.get(), 250));
}

TEST_F(CommandTest, AJobRunsTheProgramToItsEnd) {
  const std::string out = path("job.txt");
  const std::string line = "cmd /c echo in the job>\"" + out + "\"";
  services::Job job = services::Job::create();
  ASSERT_TRUE(job);
  bool ended = false;
  services::CommandOptions options;
  options.show_mode = 1;
  options.job = job.handle();
  // Bounded, so that a program left suspended fails the test instead of hanging it.
  options.wait_for = [](HANDLE process, void*) { return WaitForSingleObject(process, 10000) == WAIT_OBJECT_0; };
  options.ended = &ended;
  ASSERT_TRUE(services::run_command(line.c_str(), options));
  EXPECT_TRUE(ended);
  EXPECT_EQ(read_file(out), "in the job\r\n");
}

TEST(RunCommand, ClosingTheJobEndsTheInterpreterAndWhatItStarted) {
  const HelperRelease release;
  const std::string line = "cmd /c " + helper_line("StaysUntilReleased");
  KeptProcess kept;
  KernelHandle helper;
  {
    const services::Job job = services::Job::create();
    ASSERT_TRUE(job);
    bool ended = true;
    services::CommandOptions options;
    options.show_mode = 1;
    options.job = job.handle();
    options.wait_for = keep_process;
    options.context = &kept;
    options.ended = &ended;
    ASSERT_TRUE(services::run_command(line.c_str(), options));
    EXPECT_EQ(kept.calls, 1);
    EXPECT_FALSE(ended);  // what the custom wait said
    ASSERT_TRUE(kept.process);
    helper = first_helper_of(GetProcessId(kept.process.get()));
    ASSERT_TRUE(helper);
    ASSERT_TRUE(running(kept.process.get()));
    ASSERT_TRUE(running(helper.get()));
  }
  EXPECT_TRUE(ends_within(kept.process.get(), 3000));
  EXPECT_TRUE(ends_within(helper.get(), 3000));
}
