// Files compiled into the module (fonts, images), found by name without
// regard to letter case. A module registers its tables once, before any
// lookup; the tables live as long as the process.
#pragma once

#include <cstddef>
#include <string_view>

namespace graphics {

struct Resource {
  const char* name;  // file name, e.g. "background0@2x.png"
  const unsigned char* data;
  std::size_t size;
};

// Adds a table of `count` resources (process-wide, guarded by a lock).
void AddResources(const Resource* table, std::size_t count);
// The resource with this name (case-insensitive); null when none.
const Resource* FindResource(std::string_view name);

}  // namespace graphics
