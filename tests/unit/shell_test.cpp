// The shell's process-wide services that need no window: the fatal error's text, the program's
// folder, the open-file table, the memory service and the clean-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shell/fatal_error.h"
#include "shell/memory.h"
#include "shell/open_files.h"
#include "shell/process.h"
#include "shell/process_state.h"

namespace {

// Redirects this program's import of a kernel32 routine for its lifetime, so a test can see the
// calls the shell makes to the system.
class ImportPatch {
 public:
  ImportPatch(const char* function, void* replacement) {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name != 0; ++d) {
      if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "kernel32.dll") != 0) continue;
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
        slot_ = &slots->u1.Function;
        original_ = *slot_;
        write(reinterpret_cast<ULONG_PTR>(replacement));
        return;
      }
    }
  }
  ~ImportPatch() {
    if (slot_ != nullptr) write(original_);
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  bool active() const { return slot_ != nullptr; }
  template <typename F>
  F original() const {
    return reinterpret_cast<F>(original_);
  }

 private:
  void write(ULONG_PTR value) {
    DWORD old = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, old, &old);
  }

  ULONG_PTR* slot_ = nullptr;
  ULONG_PTR original_ = 0;
};

// ---- The fatal error's text ----

struct MessageCase {
  const char* name;
  const char* text;
  std::int32_t code;
  const char* expected;
};

const MessageCase kMessages[] = {
    {"text without code", "载入窗口模板数据段出错!", 0, "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n"},
    {"text with code", "x", 7, "运行时出错!\r\n\r\n错误代码：7\r\n\r\n错误信息：x\r\n"},
    {"most negative code", "y", INT32_MIN, "运行时出错!\r\n\r\n错误代码：-2147483648\r\n\r\n错误信息：y\r\n"},
    {"absent text", nullptr, 0, "运行时出错!\r\n\r\n"},
    {"empty text", "", 0, "运行时出错!\r\n\r\n"},
    {"code without text", "", 5, "运行时出错!\r\n\r\n错误代码：5\r\n\r\n"},
};

TEST(FatalErrorMessage, HasHeadingCodeLineAndTextExactly) {
  for (const MessageCase& c : kMessages) {
    SCOPED_TRACE(c.name);
    char out[256];
    std::memset(out, 'Z', sizeof out);
    const std::size_t used = shell::fatal_error_message(out, sizeof out, c.text, c.code);
    EXPECT_EQ(std::string(out), c.expected);
    EXPECT_EQ(used, std::strlen(c.expected));
  }
}

TEST(FatalErrorMessage, IsCutToTheCapacityAndNeverWritesBeyondIt) {
  for (const std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{5}}) {
    SCOPED_TRACE(capacity);
    char out[16];
    std::memset(out, 'Z', sizeof out);
    const std::size_t used = shell::fatal_error_message(out, capacity, "text", 3);
    const std::size_t kept = capacity == 0 ? 0 : capacity - 1;
    EXPECT_EQ(used, kept);
    if (capacity != 0) {
      EXPECT_EQ(std::string(out), std::string("运行时出错!").substr(0, kept));
    }
    for (std::size_t i = capacity; i < sizeof out; ++i) EXPECT_EQ(out[i], 'Z') << "byte " << i;
  }
}

// ---- The program's folder ----

TEST(ExecutableFolder, IsThePathUpToTheLastBackslashWalkingDoubleByteCharactersWhole) {
  // Which bytes lead a double-byte character depends on the code page; the cases are GBK.
  ASSERT_EQ(GetACP(), 936u);
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"C:\\a\\b.exe", "C:\\a"},
      {"C:\\x.exe", "C:"},
      {"x.exe", ""},
      {"", ""},
      {"C:\\\x81\x5C\\p.exe", "C:\\\x81\x5C"},
      // 0x5C after a lead byte is the character's second byte, not a separator.
      {"C:\\d\x81\x5Cp.exe", "C:"},
      {"C:\\程序\\延迟.exe", "C:\\程序"},
      // A lead byte at the very end has no second byte to take.
      {"C:\\a\\\x81", "C:\\a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(std::string(shell::executable_folder_of(c.path)), c.folder);
  }
}

// ---- The open-file table ----

std::vector<HANDLE> closed_handles;
BOOL(WINAPI* real_close_handle)(HANDLE) = nullptr;

BOOL WINAPI recording_close_handle(HANDLE handle) {
  closed_handles.push_back(handle);
  return real_close_handle(handle);
}

bool handle_is_open(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

class OpenFileTable : public testing::Test {
 protected:
  void SetUp() override {
    shell::close_all_open_files();
    shell::state().last_file_number = 0;
  }
  void TearDown() override { shell::close_all_open_files(); }

  static HANDLE new_handle() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }
};

TEST_F(OpenFileTable, NumbersAreNonzeroUniqueAndFindTheirHandles) {
  std::vector<std::pair<std::int32_t, HANDLE>> files;
  for (int i = 0; i < 4; ++i) {
    const HANDLE h = new_handle();
    files.emplace_back(shell::add_open_file(h), h);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_NE(files[i].first, 0);
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(files[i].first, files[j].first);
    EXPECT_EQ(shell::find_open_file(files[i].first), files[i].second);
  }
  EXPECT_EQ(shell::find_open_file(0), nullptr);

  // Closing one closes its handle, forgets only that number, and a second close finds nothing.
  EXPECT_TRUE(shell::close_open_file(files[1].first));
  EXPECT_FALSE(handle_is_open(files[1].second));
  EXPECT_EQ(shell::find_open_file(files[1].first), nullptr);
  EXPECT_FALSE(shell::close_open_file(files[1].first));
  EXPECT_FALSE(shell::close_open_file(0));
  EXPECT_EQ(shell::find_open_file(files[2].first), files[2].second);
  EXPECT_TRUE(handle_is_open(files[2].second));
}

TEST_F(OpenFileTable, NumbersWrapAroundPastTheLargestAndSkipThoseInUse) {
  const std::int32_t first = shell::add_open_file(new_handle());
  ASSERT_EQ(first, 1);
  shell::state().last_file_number = INT32_MAX - 1;
  EXPECT_EQ(shell::add_open_file(new_handle()), INT32_MAX);
  EXPECT_EQ(shell::add_open_file(new_handle()), 2);  // 1 is still open
  EXPECT_TRUE(shell::close_open_file(first));
  shell::state().last_file_number = INT32_MAX;
  EXPECT_EQ(shell::add_open_file(new_handle()), 1);  // free again
}

TEST_F(OpenFileTable, CloseAllClosesInOrderOfOpeningAndEmptiesTheTable) {
  std::vector<HANDLE> handles;
  std::vector<std::int32_t> numbers;
  for (int i = 0; i < 5; ++i) {
    handles.push_back(new_handle());
    numbers.push_back(shell::add_open_file(handles.back()));
  }
  // A gap in the middle: the order is still that of opening, not of numbers or of the gap.
  ASSERT_TRUE(shell::close_open_file(numbers[1]));
  handles.erase(handles.begin() + 1);
  const HANDLE reopened = new_handle();
  shell::state().last_file_number = 0;
  const std::int32_t low_number = shell::add_open_file(reopened);  // takes a number below the others
  ASSERT_LT(low_number, numbers[4]);
  handles.push_back(reopened);

  closed_handles.clear();
  {
    ImportPatch patch("CloseHandle", reinterpret_cast<void*>(&recording_close_handle));
    ASSERT_TRUE(patch.active());
    real_close_handle = patch.original<decltype(real_close_handle)>();
    shell::close_all_open_files();
  }
  // Before anything else runs that could be handed a freed handle value again.
  for (const HANDLE h : handles) EXPECT_FALSE(handle_is_open(h));
  std::vector<HANDLE> ours;
  for (const HANDLE h : closed_handles) {
    if (std::find(handles.begin(), handles.end(), h) != handles.end()) ours.push_back(h);
  }
  EXPECT_EQ(ours, handles);
  EXPECT_TRUE(shell::state().open_files.empty());
  for (const std::int32_t n : numbers) EXPECT_EQ(shell::find_open_file(n), nullptr);
  EXPECT_EQ(shell::find_open_file(low_number), nullptr);
}

// ---- The memory service ----

struct FreeCall {
  HANDLE heap;
  void* block;
};
std::vector<FreeCall> free_calls;
HANDLE watched_heap = nullptr;
BOOL(WINAPI* real_heap_free)(HANDLE, DWORD, void*) = nullptr;

BOOL WINAPI recording_heap_free(HANDLE heap, DWORD flags, void* block) {
  if (heap == watched_heap || block == nullptr) free_calls.push_back(FreeCall{heap, block});
  return real_heap_free(heap, flags, block);
}

TEST(Memory, BlocksComeFromAndGoBackToTheServicesHeapAndNullIsNotPassedOn) {
  shell::ProcessState& s = shell::state();
  const HANDLE previous = s.heap;
  const HANDLE heap = HeapCreate(0, 0, 0);
  ASSERT_NE(heap, nullptr);
  s.heap = heap;
  watched_heap = heap;
  free_calls.clear();

  void* block = shell::allocate(100);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(HeapValidate(heap, 0, block));
  EXPECT_GE(HeapSize(heap, 0, block), 100u);
  shell::Text text = shell::copy_text("abc", 3);
  EXPECT_TRUE(HeapValidate(heap, 0, text.get()));
  EXPECT_EQ(std::string(text.get()), "abc");
  EXPECT_EQ(shell::copy_text("abc", 0), nullptr);
  {
    ImportPatch patch("HeapFree", reinterpret_cast<void*>(&recording_heap_free));
    ASSERT_TRUE(patch.active());
    real_heap_free = patch.original<decltype(real_heap_free)>();
    shell::release(block);
    shell::release(nullptr);
    text.reset();
  }
  s.heap = previous;
  ASSERT_EQ(free_calls.size(), 2u);
  EXPECT_EQ(free_calls[0].heap, heap);
  EXPECT_EQ(free_calls[0].block, block);
  EXPECT_EQ(free_calls[1].heap, heap);
  EXPECT_NE(free_calls[1].block, nullptr);
  HeapDestroy(heap);
}

// ---- The clean-up ----

int end_routine_calls = 0;
void counting_end_routine() { ++end_routine_calls; }

TEST(Cleanup, RunsTheEndRoutineOnceHoweverOftenItRuns) {
  end_routine_calls = 0;
  shell::register_end_routine(&counting_end_routine);
  shell::cleanup(0);
  EXPECT_EQ(end_routine_calls, 1);
  shell::cleanup(0);
  EXPECT_EQ(end_routine_calls, 1);
}

}  // namespace
