#pragma once
// The program's own routines: its handlers, and the table the shell resolves template names in.
#include <span>

#include "shell/template.h"

namespace tool {

// Created event of the main window.
void main_window_created();
// Click on the query button: ping the typed address and show the result.
void query_latency();
// Click on the help button: the help window, modally.
void show_help();

std::span<const shell::HandlerEntry> handler_table();

}  // namespace tool
