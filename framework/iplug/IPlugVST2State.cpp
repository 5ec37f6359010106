// State chunks: the program chunk holds the plug-in's state, the bank chunk
// every preset slot; both start with the 'tffp' header and its version.
// SetChunk is the one dispatcher call that takes the instance's lock itself,
// once the host's bytes are copied and parsed.
#include "IPlugVST2.h"

namespace iplug {

vst2::VstIntPtr IPlugVST2::GetChunk(bool bank, void* ptr) {
  if (!ptr) return 0;
  ByteChunk& chunk = bank ? mBankChunk : mProgramChunk;
  chunk.Clear();
  chunk.PutInt32(kStateChunkMagic);
  chunk.PutInt32(kStateChunkVersion);
  bool written = false;
  if (bank) {
    ModifyCurrentPreset();
    written = SerializePresets(chunk);
  } else {
    written = WriteState(chunk);
  }
  if (!written || chunk.Empty()) return 0;
  // The data stays valid until the next request of the same kind on this
  // instance, whatever else the host calls meanwhile (or until it closes).
  *static_cast<void**>(ptr) = chunk.Data();
  return chunk.Size();
}

vst2::VstIntPtr IPlugVST2::SetChunk(bool bank, vst2::VstIntPtr size, const void* data) {
  if (!data || size <= 0 || size > kMaxStateChunkBytes) return 0;
  // A copy of its own: the chunk last handed out by GetChunk stays valid
  // for the host, whatever it loads meanwhile.
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));

  int position = 0;
  std::int32_t version = 0;
  std::int32_t magic = 0;
  if (chunk.GetInt32(magic, 0) >= 0 && magic == kStateChunkMagic) {
    position = chunk.GetInt32(version, 4);
    // A header cut short: nothing to read.
    if (position < 0) return 0;
  }

  // The state is parsed before the instance's lock is taken: a large one
  // then holds up none of the instance's other calls while it is read.
  const bool slots = bank && version >= kStateChunkVersion;
  const std::unique_ptr<ParsedState> parsed = slots ? nullptr : ParseState(chunk, position);
  MainThreadScope scope(MainLock());
  if (slots) {
    position = UnserializePresets(chunk, position);
  } else {
    position = ApplyState(chunk, position, parsed.get());
    ModifyCurrentPreset();
  }
  if (position < 0) return 0;
  OnStateRestored();
  return 1;
}

}  // namespace iplug
