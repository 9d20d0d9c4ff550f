// The process's entry point. The program brings no C runtime start-up of its own: the process-wide
// state needs no constructing at run time, and the C runtime that ships with Windows is ready as
// soon as it is loaded. This keeps the program small and its start quick.
#include <windows.h>

#include "shell/process.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);
extern "C" void WINAPI ipl_process_start();

extern "C" void WINAPI ipl_process_start() {
  const int exit_code = WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
  // The standard exit's last run of the clean-up: it finds everything released already.
  shell::cleanup(0);
  ExitProcess(static_cast<UINT>(exit_code));
}
