#include "shell/template.h"

namespace shell {

bool is_container(Kind kind) { return kind == Kind::group; }

bool raises_events(Kind kind) { return kind == Kind::window || kind == Kind::button || kind == Kind::edit; }

const Element* find_element(const Template& t, std::uint32_t element_id) {
  for (const Element& e : t.elements) {
    if (e.id == element_id) return &e;
  }
  return nullptr;
}

}  // namespace shell
