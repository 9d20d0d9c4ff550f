#include "tool/handlers.h"

namespace tool {

void query_latency() {}

}  // namespace tool
