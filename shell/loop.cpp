#include "shell/loop.h"

#include <windows.h>

#include "shell/keyboard.h"
#include "shell/process_state.h"
#include "shell/window.h"

namespace shell {
namespace {

void deliver(MSG& msg) {
  if (handle_keyboard(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

bool next_is_quit() {
  MSG peeked;
  return PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE) != FALSE && peeked.message == WM_QUIT;
}

enum class Mode { main, modal };


int pump(Mode mode) {
  // A modal loop serves the window that was current when it started, and ends when that window
  // is gone: with nested dialogs the outer one can close first, while the inner one is current.
  const std::uint32_t modal = mode == Mode::modal ? state().current_modal : 0;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) == FALSE) {
      if (mode == Mode::modal && !window_open(modal)) return 0;
      WaitMessage();
    }
    if (mode == Mode::modal && msg.message == WM_QUIT) return 0;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
      // A modal loop leaves the quit message for the loop outside it.
      if (mode == Mode::modal) PostQuitMessage(static_cast<int>(msg.wParam));
      return static_cast<int>(msg.wParam);
    }
    deliver(msg);
    if (mode == Mode::modal && (!window_open(modal) || next_is_quit())) return 0;
  }
}

}  // namespace

int run_main_loop() {
  state().main_loop_started = true;
  if (!any_window_open()) return 0;
  return pump(Mode::main);
}

void run_modal_loop() { pump(Mode::modal); }

bool wait_serving_messages(void* object) {
  HANDLE handle = object;
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      deliver(msg);
    }
    if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return true;
  }
}

void dispatch_waiting_messages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE && msg.message != WM_QUIT) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) == FALSE) break;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    deliver(msg);
  }
}

}  // namespace shell
