#pragma once
// Reads window templates from their text form. The reader takes any number of windows; it
// resolves handler names against the program's table and refuses anything it cannot read whole.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "shell/template.h"

namespace shell {

struct ReadError {
  int line = 0;
  const char* reason = "";
};

struct ReadResult {
  std::vector<Template> templates;
  std::optional<ReadError> error;
};

ReadResult read_templates(std::string_view data, std::span<const HandlerEntry> handlers);

}  // namespace shell
