#pragma once
// Move-only owners of kernel handles. Each kind has its own empty value: CreateFileA fails with
// INVALID_HANDLE_VALUE, while process, thread and job functions fail with null, and the other
// value is a real handle there (null is never a file, but -1 is the current process).
#include <windows.h>

#include <utility>

namespace services {

struct NullIsEmpty {
  static HANDLE empty() noexcept { return nullptr; }
};

struct InvalidIsEmpty {
  static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
};

template <typename Kind>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(HANDLE handle) noexcept : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Kind::empty(); }

  HANDLE release() noexcept { return std::exchange(handle_, Kind::empty()); }
  void reset(HANDLE handle = Kind::empty()) noexcept {
    const HANDLE old = std::exchange(handle_, handle);
    if (old != Kind::empty()) CloseHandle(old);
  }

 private:
  HANDLE handle_ = Kind::empty();
};

// Processes, threads, jobs, events.
using KernelHandle = UniqueHandle<NullIsEmpty>;
// What CreateFileA returns.
using FileHandle = UniqueHandle<InvalidIsEmpty>;

// The pair of handles that CreateProcessA hands back. The thread's handle is closed before the
// process's, on reset and on destruction alike.
class ProcessInformation {
 public:
  ProcessInformation() noexcept = default;
  explicit ProcessInformation(const PROCESS_INFORMATION& info) noexcept
      : process_(info.hProcess), thread_(info.hThread), process_id_(info.dwProcessId), thread_id_(info.dwThreadId) {}
  ProcessInformation(ProcessInformation&& other) noexcept
      : process_(std::move(other.process_)),
        thread_(std::move(other.thread_)),
        process_id_(std::exchange(other.process_id_, 0)),
        thread_id_(std::exchange(other.thread_id_, 0)) {}
  ProcessInformation& operator=(ProcessInformation&& other) noexcept {
    if (this != &other) {
      reset();
      process_ = std::move(other.process_);
      thread_ = std::move(other.thread_);
      process_id_ = std::exchange(other.process_id_, 0);
      thread_id_ = std::exchange(other.thread_id_, 0);
    }
    return *this;
  }
  ~ProcessInformation() { reset(); }

  HANDLE process() const noexcept { return process_.get(); }
  HANDLE thread() const noexcept { return thread_.get(); }
  DWORD process_id() const noexcept { return process_id_; }
  DWORD thread_id() const noexcept { return thread_id_; }

  void reset() noexcept {
    thread_.reset();
    process_.reset();
    process_id_ = 0;
    thread_id_ = 0;
  }

 private:
  KernelHandle process_;
  KernelHandle thread_;
  DWORD process_id_ = 0;
  DWORD thread_id_ = 0;
};

}  // namespace services
