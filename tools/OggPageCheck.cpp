#include "tools/OggPageCheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

constexpr std::size_t kHeaderBytes = 27;
// The header, 255 lacing values and 255 segments of 255 bytes.
constexpr std::size_t kLargestPage = kHeaderBytes + 255 + 255 * 255;
constexpr std::size_t kWindowBytes = 4 * kLargestPage;
constexpr std::uint8_t kContinued = 0x01, kFirst = 0x02, kLast = 0x04;
constexpr std::int64_t kNoGranule = -1;            // no packet ends on the page
constexpr std::int64_t kOpusLongestPacket = 5760;  // 120 ms at 48 kHz

// CRC-32 with the polynomial 0x04C11DB7, most significant bit first, without
// initial or final inversion.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    table[i] = crc;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t Crc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) crc = (crc << 8) ^ kCrcTable[(crc >> 24) ^ bytes[i]];
  return crc;
}

std::uint64_t LittleEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
  return value;
}

struct Page {
  std::size_t size = 0;
  const std::uint8_t* bytes = nullptr;  // the whole page, valid until the window moves
  std::uint8_t version = 0, flags = 0;
  std::int64_t granule = kNoGranule;
  std::uint32_t serial = 0, sequence = 0;
  std::size_t segments = 0;

  const std::uint8_t* Lacing() const { return bytes + kHeaderBytes; }
  const std::uint8_t* Body() const { return bytes + kHeaderBytes + segments; }
};

enum class PageState { kSound, kBadChecksum, kNotAPage, kCut };

// The page at `offset`. A bad checksum still fills in the page as its header
// reads; a page the file ends inside is cut.
PageState ReadPage(ByteWindow& window, std::uint64_t offset, Page& page) {
  static constexpr char kCapture[] = "OggS";
  const std::uint64_t left = window.Size() - offset;
  if (left < kHeaderBytes) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left, 4));
    const std::uint8_t* start = window.At(offset, count);
    return start != nullptr && std::memcmp(start, kCapture, count) == 0 ? PageState::kCut
                                                                        : PageState::kNotAPage;
  }
  const std::uint8_t* head = window.At(offset, kHeaderBytes);
  if (head == nullptr) return PageState::kCut;
  if (std::memcmp(head, kCapture, 4) != 0) return PageState::kNotAPage;
  page.segments = head[26];
  const std::uint8_t* bytes = window.At(offset, kHeaderBytes + page.segments);
  if (bytes == nullptr) return PageState::kCut;
  std::size_t body = 0;
  for (std::size_t i = 0; i < page.segments; ++i) body += bytes[kHeaderBytes + i];
  page.size = kHeaderBytes + page.segments + body;
  bytes = window.At(offset, page.size);
  if (bytes == nullptr) return PageState::kCut;
  page.bytes = bytes;
  page.version = bytes[4];
  page.flags = bytes[5];
  page.granule = static_cast<std::int64_t>(LittleEndian(bytes + 6, 8));
  page.serial = static_cast<std::uint32_t>(LittleEndian(bytes + 14, 4));
  page.sequence = static_cast<std::uint32_t>(LittleEndian(bytes + 18, 4));
  // The checksum covers the page with its own field taken as zero.
  static constexpr std::uint8_t kZeros[4] = {};
  std::uint32_t crc = Crc(0, bytes, 22);
  crc = Crc(crc, kZeros, 4);
  crc = Crc(crc, bytes + 26, page.size - 26);
  return crc == LittleEndian(bytes + 22, 4) ? PageState::kSound : PageState::kBadChecksum;
}

// What the granule positions of a logical stream count, told by its first
// packet.
struct Codec {
  enum Kind { kUnknown, kVorbis, kOpus } kind = kUnknown;
  double granuleRate = 0;          // granule positions per second
  std::int64_t preSkip = 0;        // granule positions before the first sample played
  std::int64_t longestPacket = 0;  // the most a packet can yield, in granule positions
  std::int64_t headerPackets = 0;  // packets before the audio

  std::optional<double> Seconds(std::int64_t granule) const {
    if (kind == kUnknown || granule < 0) return std::nullopt;
    return static_cast<double>(std::max<std::int64_t>(granule - preSkip, 0)) / granuleRate;
  }

  // The most the audio packet whose first `count` bytes these are yields: an
  // Opus packet's own table of contents says exactly; a Vorbis packet yields
  // half a long block at most.
  std::int64_t PacketLength(const std::uint8_t* packet, std::size_t count) const {
    if (kind != kOpus) return longestPacket;
    if (count == 0) return 0;
    static constexpr std::int64_t kSilk[] = {480, 960, 1920, 2880}, kHybrid[] = {480, 960},
                                  kCelt[] = {120, 240, 480, 960};
    const int config = packet[0] >> 3;
    const std::int64_t frame = config < 12   ? kSilk[config & 3]
                               : config < 16 ? kHybrid[config & 1]
                                             : kCelt[config & 3];
    const int code = packet[0] & 3;
    const std::int64_t frames = code == 0 ? 1 : code < 3 ? 2 : count >= 2 ? (packet[1] & 0x3F) : 48;
    return std::min(frame * frames, kOpusLongestPacket);
  }
};

Codec IdentifyCodec(const std::uint8_t* packet, std::size_t count) {
  // Vorbis identification header: type 1, "vorbis", version, channels, rate,
  // three bitrates, then the two block sizes as powers of two.
  if (count >= 30 && packet[0] == 1 && std::memcmp(packet + 1, "vorbis", 6) == 0) {
    const auto rate = static_cast<double>(LittleEndian(packet + 12, 4));
    const int longBlock = packet[28] >> 4;
    if (rate > 0 && longBlock >= 6 && longBlock <= 13)
      return {Codec::kVorbis, rate, 0, (std::int64_t{1} << longBlock) / 2, 3};
  }
  // Opus: "OpusHead", version, channels, pre-skip; granules count 48 kHz.
  if (count >= 19 && std::memcmp(packet, "OpusHead", 8) == 0) {
    return {Codec::kOpus, 48000.0, static_cast<std::int64_t>(LittleEndian(packet + 10, 2)),
            kOpusLongestPacket, 2};
  }
  return {};
}

struct LogicalStream {
  Codec codec;
  std::uint32_t nextSequence = 0;
  std::int64_t granule = kNoGranule;       // of the last page that had one
  bool granuleIsAudio = false;             // that granule follows audio packets, not headers alone
  std::int64_t yieldSinceGranule = 0;      // what packets ended since then yield at most
  std::optional<std::int64_t> beforeJump;  // the granule before a page that ran ahead
  bool ended = false;
  std::int64_t packets = 0;  // packets ended so far
  bool packetOpen = false;   // the last page ended inside a packet
  std::int64_t openPacketLength = 0;
  std::uint64_t damageSeen = 0;  // damaged stretches before its last page

  std::optional<double> Now() const { return codec.Seconds(granule); }
};

class OggPageChecker {
 public:
  OggPageChecker(const ReadBytesAt& read, std::uint64_t size) : window_(read, size, kWindowBytes) {}

  StreamCheck Run() {
    std::uint64_t at = 0;
    while (at < window_.Size()) {
      Page page;
      const PageState state = ReadPage(window_, at, page);
      if (state == PageState::kSound) {
        Visit(at, page);
        at += page.size;
        continue;
      }
      at = Damaged(at, state, page);
    }
    StreamCheck check;
    for (const std::uint32_t serial : order_) {
      const LogicalStream& stream = streams_.at(serial);
      if (stream.ended) continue;
      const std::optional<double> now = stream.Now();
      faults_.Add(Name(serial) + " ends without its last page (cut short?)" +
                  (now ? " after " + Fixed(*now, 3) + " s" : ""));
    }
    if (const LogicalStream* primary = Primary()) check.announcedSeconds = primary->Now();
    check.faults = faults_.Take("Ogg stream");
    return check;
  }

 private:
  // A stretch from `at` on that holds no sound page: reported once, up to the
  // next sound page (or a page the file ends inside), where the walk goes on.
  std::uint64_t Damaged(std::uint64_t at, PageState state, const Page& page) {
    std::optional<std::uint64_t> next;
    if (state == PageState::kBadChecksum) {
      // A page whose header is sound is followed by the next page.
      Page after;
      const std::uint64_t end = at + page.size;
      if (end == window_.Size() || ReadPage(window_, end, after) != PageState::kNotAPage) next = end;
    }
    if (!next) next = NextPage(at + 1);
    const std::uint64_t end = next.value_or(window_.Size());
    ++damaged_;
    const std::string where = " at byte " + std::to_string(at);
    if (state == PageState::kBadChecksum) {
      std::string fault = "the Ogg page" + where + " fails its checksum";
      if (end != at + page.size) fault += ", and the damage runs on to byte " + std::to_string(end);
      faults_.Add(fault + AfterTime(Now()));
    } else if (state == PageState::kCut && !next) {
      faults_.Add("the file ends inside the Ogg page" + where + AfterTime(Now()));
    } else if (next || !AllEnded()) {
      // Bytes after the end of every stream take no audio away.
      faults_.Add("the " + std::to_string(end - at) + " bytes" + where + " hold no sound Ogg page" +
                  AfterTime(Now()));
    }
    return end;
  }

  std::optional<std::uint64_t> NextPage(std::uint64_t from) {
    for (;;) {
      const std::optional<std::uint64_t> candidate = window_.Find(from, "OggS");
      if (!candidate) return std::nullopt;
      Page page;
      const PageState state = ReadPage(window_, *candidate, page);
      if (state == PageState::kSound || state == PageState::kCut) return candidate;
      from = *candidate + 1;
    }
  }

  void Visit(std::uint64_t at, const Page& page) {
    // Built only for a fault: most pages have none.
    const auto where = [at] { return " at byte " + std::to_string(at); };
    const bool first = (page.flags & kFirst) != 0;
    auto [entry, isNew] = streams_.try_emplace(page.serial);
    LogicalStream& stream = entry->second;
    if (isNew) order_.push_back(page.serial);
    if (isNew || (stream.ended && first)) {
      // A new stream, or the next link of a chain under the same serial
      // number.
      stream = LogicalStream{};
      if (first) {
        std::size_t firstPacket = 0;
        for (std::size_t i = 0; i < page.segments; ++i) {
          firstPacket += page.Lacing()[i];
          if (page.Lacing()[i] < 255) break;
        }
        stream.codec = IdentifyCodec(page.Body(), firstPacket);
      } else {
        faults_.Add("the Ogg page" + where() + " belongs to a stream whose first page is missing" +
                    AfterTime(Now()));
      }
      stream.nextSequence = page.sequence;
      stream.damageSeen = damaged_;
    } else if (stream.ended) {
      faults_.Add("the Ogg page" + where() + " comes after the last page of its stream" +
                  AfterTime(stream.Now()));
      return;
    }
    if (page.version != 0)
      faults_.Add("the Ogg page" + where() + " has version " + std::to_string(page.version) + ", not 0");
    if ((page.flags & ~(kContinued | kFirst | kLast)) != 0)
      faults_.Add("the Ogg page" + where() + " has unknown header flags (" + std::to_string(page.flags) +
                  ")");
    // Pages lost in a damaged stretch are reported with it; the audio of
    // missing pages is no granule position running ahead.
    const bool undamaged = stream.damageSeen == damaged_;
    const bool gap = page.sequence != stream.nextSequence;
    if (gap && undamaged) {
      const std::uint32_t missing = page.sequence - stream.nextSequence;
      faults_.Add(missing < 0x80000000u
                      ? std::to_string(missing) + " Ogg page" + (missing == 1 ? " is" : "s are") +
                            " missing before the page" + where() + AfterTime(stream.Now())
                      : "the Ogg page" + where() + " is out of order (page number " +
                            std::to_string(page.sequence) + " after " +
                            std::to_string(stream.nextSequence - 1) + ")");
    }
    stream.yieldSinceGranule += EndPackets(stream, page);
    if (page.granule != kNoGranule) CheckGranule(stream, page, at, undamaged && !gap);
    if ((page.flags & kLast) != 0) stream.ended = true;
    stream.nextSequence = page.sequence + 1;
    stream.damageSeen = damaged_;
  }

  // Walks the page's lacing values: the most the packets ending on it yield.
  static std::int64_t EndPackets(LogicalStream& stream, const Page& page) {
    const Codec& codec = stream.codec;
    std::int64_t yield = 0;
    bool inPacket = (page.flags & kContinued) != 0;
    // A continued packet whose start was lost may be of any length.
    std::int64_t length = inPacket ? (stream.packetOpen ? stream.openPacketLength : codec.longestPacket) : 0;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < page.segments; ++i) {
      const std::uint8_t lacing = page.Lacing()[i];
      if (!inPacket) {
        inPacket = true;
        length = stream.packets >= codec.headerPackets ? codec.PacketLength(page.Body() + offset, lacing) : 0;
      }
      offset += lacing;
      if (lacing < 255) {
        yield += length;
        ++stream.packets;
        inPacket = false;
      }
    }
    stream.packetOpen = inPacket;
    stream.openPacketLength = length;
    return yield;
  }

  // A granule position never goes back, and runs ahead of the packets' audio
  // only where the audio starts (a stream taken up mid-way) or ends (a last
  // page may mark any end).
  void CheckGranule(LogicalStream& stream, const Page& page, std::uint64_t at, bool contiguous) {
    const auto where = [at] { return " at byte " + std::to_string(at); };
    const bool known = stream.codec.kind != Codec::kUnknown;
    if (stream.granule != kNoGranule && page.granule < stream.granule) {
      // Back to where it was before one page ran ahead: that page was the
      // fault, already reported.
      if (!(stream.beforeJump && page.granule >= *stream.beforeJump)) {
        faults_.Add("the Ogg page" + where() + " goes back in time: its granule position " +
                    std::to_string(page.granule) + " is below the " + std::to_string(stream.granule) +
                    " of the page before it" + AfterTime(stream.Now()));
      }
      stream.beforeJump.reset();
    } else if (known && contiguous && stream.granuleIsAudio && (page.flags & kLast) == 0 &&
               page.granule - stream.granule > stream.yieldSinceGranule) {
      const double ahead = static_cast<double>(page.granule - stream.granule - stream.yieldSinceGranule) /
                           stream.codec.granuleRate;
      faults_.Add("the granule position of the Ogg page" + where() + " runs " + Fixed(ahead, 3) +
                  " s ahead of the audio its packets hold" + AfterTime(stream.Now()));
      stream.beforeJump = stream.granule;
    } else {
      stream.beforeJump.reset();
    }
    stream.granule = page.granule;
    stream.granuleIsAudio = stream.packets > stream.codec.headerPackets;
    stream.yieldSinceGranule = 0;
  }

  std::string Name(std::uint32_t serial) const {
    return order_.size() > 1 ? "the Ogg stream with serial number " + std::to_string(serial)
                             : "the Ogg stream";
  }

  // The stream a decoder plays: the first Vorbis or Opus one.
  const LogicalStream* Primary() const {
    for (const std::uint32_t serial : order_) {
      const LogicalStream& stream = streams_.at(serial);
      if (stream.codec.kind != Codec::kUnknown) return &stream;
    }
    return nullptr;
  }

  std::optional<double> Now() const {
    const LogicalStream* primary = Primary();
    return primary != nullptr ? primary->Now() : std::nullopt;
  }

  bool AllEnded() const {
    return !streams_.empty() && std::all_of(streams_.begin(), streams_.end(),
                                            [](const auto& entry) { return entry.second.ended; });
  }

  ByteWindow window_;
  std::map<std::uint32_t, LogicalStream> streams_;
  std::vector<std::uint32_t> order_;  // serial numbers in the order their streams begin
  std::uint64_t damaged_ = 0;         // damaged stretches so far
  FaultList faults_;
};

}  // namespace

StreamCheck CheckOggPages(const ReadBytesAt& read, std::uint64_t size) {
  return OggPageChecker(read, size).Run();
}

}  // namespace kalvo5::meter
