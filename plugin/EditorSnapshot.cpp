#include "plugin/EditorSnapshot.h"

#include <cstring>
#include <type_traits>

namespace kalvo5 {

namespace {

constexpr std::uint32_t kMark = 0x3153354B;  // "K5S1"
constexpr std::size_t kBytes = sizeof(kMark) + sizeof(EditorSnapshot);
static_assert(std::is_trivially_copyable_v<EditorSnapshot>);

}  // namespace

std::size_t EncodeEditorSnapshot(const EditorSnapshot& snapshot, std::span<std::byte> out) {
  if (out.size() < kBytes) return 0;
  std::memcpy(out.data(), &kMark, sizeof(kMark));
  std::memcpy(out.data() + sizeof(kMark), &snapshot, sizeof(snapshot));
  return kBytes;
}

bool DecodeEditorSnapshot(std::span<const std::byte> bytes, EditorSnapshot& snapshot) {
  std::uint32_t mark = 0;
  if (bytes.size() != kBytes) return false;
  std::memcpy(&mark, bytes.data(), sizeof(mark));
  if (mark != kMark) return false;
  std::memcpy(&snapshot, bytes.data() + sizeof(kMark), sizeof(snapshot));
  return true;
}

}  // namespace kalvo5
