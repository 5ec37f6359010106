#include "tools/MpegFrameCheck.h"

#include <cstring>

#include "tools/TextFormat.h"

namespace kalvo5::meter {
namespace {

constexpr std::size_t kWindowBytes = 256 * 1024;
// How far from the file's start (after its ID3 tags) the first frame is
// looked for.
constexpr std::uint64_t kFirstFrameReach = 64 * 1024;
constexpr std::size_t kHeaderBytes = 4;

std::uint64_t BigEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

struct FrameHeader {
  int version = 0;  // the header's code: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
  int layer = 0;
  int sampleRate = 0;
  std::size_t length = 0;  // bytes, header included
  int samples = 0;         // per channel
  bool mono = false;
  bool crc = false;  // a 16-bit checksum follows the header

  bool SameStream(const FrameHeader& other) const {
    return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
  }
};

// A frame header with a length: free-format frames (bitrate index 0) carry
// none, and are not taken.
std::optional<FrameHeader> ParseHeader(const std::uint8_t* b) {
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
  const int version = (b[1] >> 3) & 3, layerCode = (b[1] >> 1) & 3;
  const int bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3;
  if (version == 1 || layerCode == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
      (b[3] & 3) == 2)
    return std::nullopt;
  // kbit/s: MPEG-1 layers I, II, III, then MPEG-2 and 2.5 layer I, and II and III.
  static constexpr int kBitrates[5][15] = {
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
  static constexpr int kRates[3] = {44100, 48000, 32000};
  FrameHeader header;
  header.version = version;
  header.layer = 4 - layerCode;
  const bool mpeg1 = version == 3;
  const int row = mpeg1 ? header.layer - 1 : header.layer == 1 ? 3 : 4;
  const int bitrate = kBitrates[row][bitrateIndex] * 1000;
  header.sampleRate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  const int padding = (b[2] >> 1) & 1;
  if (header.layer == 1) {
    header.length = static_cast<std::size_t>((12 * bitrate / header.sampleRate + padding) * 4);
    header.samples = 384;
  } else {
    const bool half = header.layer == 3 && !mpeg1;  // layer III of MPEG-2 and 2.5: half the granules
    header.length = static_cast<std::size_t>((half ? 72 : 144) * bitrate / header.sampleRate + padding);
    header.samples = half ? 576 : 1152;
  }
  header.mono = (b[3] >> 6) == 3;
  header.crc = (b[1] & 1) == 0;
  return header;
}

// The length a first frame of silence announces for the stream: a Xing or
// Info header (layer III, after the side information), or a VBRI header.
struct LengthTag {
  std::string name;
  std::optional<std::uint64_t> frames;  // not counting the frame that carries the tag
  std::optional<std::uint64_t> bytes;
  std::int64_t trimmed = 0;  // samples the encoder added at both ends (LAME's delay and padding)
};

std::optional<LengthTag> ReadLengthTag(const std::uint8_t* frame, const FrameHeader& header) {
  const auto at = [&](std::size_t offset, std::size_t count) { return offset + count <= header.length; };
  if (header.layer == 3) {
    const std::size_t sideInfo = header.version == 3 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
    for (const std::size_t offset : {kHeaderBytes + sideInfo, kHeaderBytes + 2 + sideInfo}) {
      if (!at(offset, 8)) break;
      const std::uint8_t* tag = frame + offset;
      if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) continue;
      LengthTag found{std::string(reinterpret_cast<const char*>(tag), 4), {}, {}, 0};
      const std::uint64_t flags = BigEndian(tag + 4, 4);
      std::size_t field = offset + 8;
      if ((flags & 1) != 0 && at(field, 4)) found.frames = BigEndian(frame + field, 4);
      field += (flags & 1) != 0 ? 4 : 0;
      if ((flags & 2) != 0 && at(field, 4)) found.bytes = BigEndian(frame + field, 4);
      field += ((flags & 2) != 0 ? 4 : 0) + ((flags & 4) != 0 ? 100 : 0) + ((flags & 8) != 0 ? 4 : 0);
      // LAME's extension: its encoder delay and padding, 12 bits each, 21
      // bytes in.
      if (at(field, 24) &&
          (std::memcmp(frame + field, "LAME", 4) == 0 || std::memcmp(frame + field, "Lav", 3) == 0)) {
        const std::uint8_t* gap = frame + field + 21;
        found.trimmed = static_cast<std::int64_t>((gap[0] << 4) | (gap[1] >> 4)) +
                        static_cast<std::int64_t>(((gap[1] & 0x0F) << 8) | gap[2]);
      }
      return found;
    }
  }
  // VBRI: 32 bytes after the header; version, delay and quality, then the
  // stream's bytes and frames.
  constexpr std::size_t kVbri = kHeaderBytes + 32;
  if (at(kVbri, 18) && std::memcmp(frame + kVbri, "VBRI", 4) == 0)
    return LengthTag{"VBRI", BigEndian(frame + kVbri + 14, 4), BigEndian(frame + kVbri + 10, 4), 0};
  return std::nullopt;
}

class MpegFrameChecker {
 public:
  MpegFrameChecker(const ReadBytesAt& read, std::uint64_t size) : window_(read, size, kWindowBytes) {}

  StreamCheck Run() {
    const std::uint64_t start = AfterTags(0);
    const std::optional<std::uint64_t> first =
        FindFrame(start, std::min(window_.Size(), start + kFirstFrameReach));
    if (!first) return {};
    const std::optional<FrameHeader> firstHeader = HeaderAt(*first);
    if (!firstHeader) return {};
    stream_ = *firstHeader;
    if (const std::uint8_t* frame = window_.At(*first, stream_.length)) tag_ = ReadLengthTag(frame, stream_);
    std::uint64_t at = *first + (tag_ ? stream_.length : 0);
    std::uint64_t end = at;  // where the last whole frame ends
    while (at < window_.Size()) {
      const std::optional<FrameHeader> header = HeaderAt(at);
      if (header && header->SameStream(stream_)) {
        if (header->length > window_.Size() - at) {
          faults_.Add("the MP3 stream stops inside the frame at byte " + std::to_string(at) + ", after " +
                      Fixed(Seconds(frames_), 3) + " s (cut short?)");
          break;
        }
        ++frames_;
        at += header->length;
        end = at;
        continue;
      }
      // An ID3 tag between frames (files joined end to end) is passed over;
      // other tags close the stream.
      if (const std::uint64_t after = AfterTags(at); after != at) {
        at = after;
        continue;
      }
      if (TagAt(at)) break;
      // Bytes that hold no frame, up to the next run of frames; without one,
      // they take no audio away.
      const std::optional<std::uint64_t> next = FindFrame(at + 1, window_.Size());
      if (!next) break;
      faults_.Add("the " + std::to_string(*next - at) + " bytes at byte " + std::to_string(at) +
                  " hold no MPEG audio frame" + AfterTime(Seconds(frames_)));
      at = *next;
    }
    CompareWithTag(*first, end);
    StreamCheck check;
    check.faults = faults_.Take("MP3 stream");
    const std::uint64_t announced = tag_ && tag_->frames ? *tag_->frames : frames_;
    const std::int64_t trimmed = tag_ && tag_->frames ? tag_->trimmed : 0;
    check.announcedSeconds =
        std::max(Seconds(announced) - static_cast<double>(trimmed) / stream_.sampleRate, 0.0);
    return check;
  }

 private:
  double Seconds(std::uint64_t frames) const {
    return static_cast<double>(frames) * stream_.samples / stream_.sampleRate;
  }

  // The stream holds fewer frames (or bytes) than its tag announces.
  void CompareWithTag(std::uint64_t first, std::uint64_t end) {
    if (!tag_) return;
    const std::string announces = " its " + tag_->name + " header announces";
    // Without other damage, frames missing are most likely cut off.
    const std::string hint = faults_.Empty() ? " (cut short?)" : "";
    if (tag_->frames) {
      // Encoders differ by one in whether the tag's own frame counts.
      if (frames_ + 1 < *tag_->frames) {
        faults_.Add("the MP3 stream holds " + std::to_string(frames_) + " of the " +
                    std::to_string(*tag_->frames) + " frames" + announces + hint);
      }
      return;
    }
    // Encoders differ in whether the tags before the frames count.
    const std::uint64_t held = end - first;
    if (tag_->bytes && *tag_->bytes > held && *tag_->bytes > end) {
      faults_.Add("the MP3 stream holds " + std::to_string(held) + " of the " + std::to_string(*tag_->bytes) +
                  " bytes" + announces + hint);
    }
  }

  // Past the ID3v2 tags at `at`: "ID3", version, flags (a footer follows
  // when 0x10 is set), the size in four 7-bit bytes.
  std::uint64_t AfterTags(std::uint64_t at) {
    while (const std::uint8_t* tag = window_.At(at, 10)) {
      if (std::memcmp(tag, "ID3", 3) != 0) break;
      const std::uint64_t size = (std::uint64_t{tag[6]} << 21) | (std::uint64_t{tag[7]} << 14) |
                                 (std::uint64_t{tag[8]} << 7) | tag[9];
      at += 10 + size + ((tag[5] & 0x10) != 0 ? 10 : 0);
    }
    return at;
  }

  // Tags after the frames: ID3v1, APE, Lyrics3, an appended ID3v2.
  bool TagAt(std::uint64_t at) {
    const std::uint64_t left = window_.Size() - at;
    for (const char* name : {"TAG", "APETAGEX", "LYRICSBEGIN", "ID3"}) {
      const std::size_t count = std::strlen(name);
      const std::uint8_t* bytes = left >= count ? window_.At(at, count) : nullptr;
      if (bytes != nullptr && std::memcmp(bytes, name, count) == 0) return true;
    }
    return false;
  }

  // The first frame header from `from` on (before `before`) that another
  // follows, or the file's end or a tag; of the stream's kind once known.
  std::optional<std::uint64_t> FindFrame(std::uint64_t from, std::uint64_t before) {
    while (from < before) {
      const std::optional<std::uint64_t> sync = window_.Find(from, "\xFF");
      if (!sync || *sync >= before) return std::nullopt;
      from = *sync + 1;
      const std::optional<FrameHeader> header = HeaderAt(*sync);
      if (!header || (stream_.layer != 0 && !header->SameStream(stream_))) continue;
      const std::uint64_t next = *sync + header->length;
      if (next == window_.Size() || TagAt(next)) return sync;
      const std::optional<FrameHeader> following = next < window_.Size() ? HeaderAt(next) : std::nullopt;
      if (following && following->SameStream(*header)) return sync;
    }
    return std::nullopt;
  }

  std::optional<FrameHeader> HeaderAt(std::uint64_t at) {
    const std::uint8_t* bytes = window_.At(at, kHeaderBytes);
    return bytes != nullptr ? ParseHeader(bytes) : std::nullopt;
  }

  ByteWindow window_;
  FrameHeader stream_;  // the first frame's
  std::optional<LengthTag> tag_;
  std::uint64_t frames_ = 0;  // frames of audio (not the one carrying the tag)
  FaultList faults_;
};

}  // namespace

StreamCheck CheckMpegFrames(const ReadBytesAt& read, std::uint64_t size) {
  return MpegFrameChecker(read, size).Run();
}

}  // namespace kalvo5::meter
