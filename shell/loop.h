#pragma once
// The message loops: one pump serves the main loop and the nested loop of a modal window.

namespace shell {

// Runs until the quit message arrives, or returns at once when no window is open. Returns the
// quit message's value.
int run_main_loop();

// Runs until the current modal window is gone. A quit message is left in the queue for the loop
// outside.
void run_modal_loop();

// Dispatches every message already waiting, stopping at a quit message.
void dispatch_waiting_messages();

}  // namespace shell
