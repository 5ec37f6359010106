// The process-wide table of embedded files. Tables are only ever added, and
// they are static arrays, so a found entry stays valid for the process life.
#include "Resources.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace graphics {
namespace {

struct Table {
  const Resource* entries;
  std::size_t count;
};

std::mutex& TablesLock() {
  static std::mutex lock;
  return lock;
}

std::vector<Table>& Tables() {
  static std::vector<Table> tables;
  return tables;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameIgnoringCase(std::string_view a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' || AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return b[i] == '\0';
}

}  // namespace

void AddResources(const Resource* table, std::size_t count) {
  if (table == nullptr || count == 0) return;
  std::lock_guard<std::mutex> guard(TablesLock());
  auto& tables = Tables();
  // A module registering the same table twice must not grow the list.
  bool known = std::any_of(tables.begin(), tables.end(), [&](const Table& t) { return t.entries == table; });
  if (!known) tables.push_back({table, count});
}

const Resource* FindResource(std::string_view name) {
  if (name.empty()) return nullptr;
  std::lock_guard<std::mutex> guard(TablesLock());
  for (const Table& table : Tables()) {
    for (std::size_t i = 0; i < table.count; ++i) {
      const Resource& r = table.entries[i];
      if (r.name != nullptr && SameNameIgnoringCase(name, r.name)) return &r;
    }
  }
  return nullptr;
}

}  // namespace graphics
