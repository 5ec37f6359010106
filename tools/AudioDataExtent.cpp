#include "tools/AudioDataExtent.h"

#include <cstring>

namespace kalvo5::meter {
namespace {

constexpr int kMaxChunks = 1024;
constexpr std::uint64_t kUnknownSize = 0xFFFFFFFF;  // a 32-bit size left for a 64-bit one, or for none

// A walk over many small chunks costs one read per block rather than one
// per chunk.
constexpr std::size_t kHeaderBlock = 4096;

std::uint64_t Number(const std::uint8_t* bytes, std::size_t count, bool bigEndian) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i)
    value |= std::uint64_t{bytes[bigEndian ? count - 1 - i : i]} << (8 * i);
  return value;
}

bool Tag(const std::uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

// How a family of formats lays out its chunks: an id, then the size of the
// body, chunks aligned to a multiple of `align` bytes.
struct ChunkLayout {
  std::size_t idBytes;  // 16 for Wave64's GUIDs, whose first four bytes read as a tag
  std::size_t sizeBytes;
  bool bigEndian;
  bool sizeCountsHeader;  // Wave64 counts the id and size in the size
  std::uint64_t align;
  std::uint64_t first;  // where the first chunk starts
  const char* dataTag;
  bool ds64 = false;  // RF64 and BW64: the data size may be in the ds64 chunk
};

constexpr ChunkLayout kRiff{4, 4, false, false, 2, 12, "data"};
constexpr ChunkLayout kRifx{4, 4, true, false, 2, 12, "data"};
constexpr ChunkLayout kRf64{4, 4, false, false, 2, 12, "data", true};
constexpr ChunkLayout kAiff{4, 4, true, false, 2, 12, "SSND"};
constexpr ChunkLayout kWave64{16, 8, false, true, 8, 40, "data"};

// Each step moves forward by a chunk header at least, so the walk reads
// every header once and stops at the data chunk or the chunk limit.
std::optional<DataExtent> WalkChunks(ByteWindow& bytes, const ChunkLayout& layout) {
  const std::size_t header = layout.idBytes + layout.sizeBytes;
  std::optional<std::uint64_t> ds64DataSize;
  std::uint64_t at = layout.first;
  for (int n = 0; n < kMaxChunks; ++n) {
    const std::uint8_t* chunk = bytes.At(at, header);
    if (chunk == nullptr) return std::nullopt;
    const bool isData = Tag(chunk, layout.dataTag);
    const bool isDs64 = layout.ds64 && Tag(chunk, "ds64");
    std::uint64_t size = Number(chunk + layout.idBytes, layout.sizeBytes, layout.bigEndian);
    if (layout.sizeCountsHeader) {
      if (size < header) return std::nullopt;
      size -= header;
    }
    const std::uint64_t body = at + header;
    const std::uint64_t held = bytes.Size() - body;
    if (isData) {
      if (size != kUnknownSize || layout.sizeBytes != 4) return DataExtent{size, held};
      // A writer that could not seek back leaves the placeholder: the length
      // is unknown, unless ds64 holds it.
      if (layout.ds64 && ds64DataSize) return DataExtent{*ds64DataSize, held};
      return std::nullopt;
    }
    // ds64: the RIFF size, then the data size, 64 bits each.
    if (const std::uint8_t* sizes = isDs64 && size >= 16 ? bytes.At(body, 16) : nullptr)
      ds64DataSize = Number(sizes + 8, 8, false);
    if (size > held) return std::nullopt;  // cut inside a chunk before the data
    at = (body + size + layout.align - 1) / layout.align * layout.align;
  }
  return std::nullopt;
}

// Sun AU: the data's offset and size follow the magic, big-endian.
std::optional<DataExtent> AuExtent(const std::uint8_t* head, std::uint64_t fileSize) {
  const std::uint64_t offset = Number(head + 4, 4, true), size = Number(head + 8, 4, true);
  if (size == kUnknownSize) return std::nullopt;
  return DataExtent{size, offset < fileSize ? fileSize - offset : 0};
}

}  // namespace

std::optional<DataExtent> FindDataExtent(const ReadBytesAt& read, std::uint64_t fileSize) {
  ByteWindow bytes(read, fileSize, kHeaderBlock);
  const std::uint8_t* head = bytes.At(0, 12);
  if (head == nullptr) return std::nullopt;
  if (Tag(head, ".snd")) return AuExtent(head, fileSize);
  if (Tag(head + 8, "WAVE")) {
    if (Tag(head, "RIFF")) return WalkChunks(bytes, kRiff);
    if (Tag(head, "RIFX")) return WalkChunks(bytes, kRifx);
    if (Tag(head, "RF64") || Tag(head, "BW64")) return WalkChunks(bytes, kRf64);
    return std::nullopt;
  }
  if (Tag(head, "FORM") && (Tag(head + 8, "AIFF") || Tag(head + 8, "AIFC"))) return WalkChunks(bytes, kAiff);
  if (Tag(head, "riff")) {
    const std::uint8_t* wave = bytes.At(24, 4);
    if (wave != nullptr && Tag(wave, "wave")) return WalkChunks(bytes, kWave64);
  }
  return std::nullopt;
}

}  // namespace kalvo5::meter
