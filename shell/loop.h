#pragma once
// The message loops: one pump serves the main loop and the nested loop of a modal window.

namespace shell {

// Runs until the quit message arrives, or returns at once when no window is open. Returns the
// quit message's value.
int run_main_loop();

// Runs until the current modal window is gone. A quit message is left in the queue for the loop
// outside.
void run_modal_loop();

// Waits for a kernel object while the windows go on working: their messages are dispatched as in
// the main loop. True when the object was signalled; false when a quit message arrived first
// (it is left in the queue for the main loop).
bool wait_serving_messages(void* object);

// Dispatches every message already waiting, stopping at a quit message.
void dispatch_waiting_messages();

}  // namespace shell
