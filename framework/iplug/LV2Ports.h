// Where each port of an LV2 plug-in on this framework stands: the audio
// inputs, the audio outputs, the message input and output (atom sequences
// between the processor and its editor), one control port per parameter in
// parameter order (an output port for a value the plug-in writes, an input
// port for every other), and the latency output. The bundle's description
// and the binding both read it, so they cannot differ.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace iplug {

class LV2PortLayout {
 public:
  enum class Kind { AudioIn, AudioOut, MessagesIn, MessagesOut, Param, Latency, None };
  struct Port {
    Kind kind = Kind::None;
    int index = -1;  // the channel or the parameter
  };

  LV2PortLayout(int channels, int params) : mChannels(channels), mParams(params) {}

  int Channels() const { return mChannels; }
  int Params() const { return mParams; }
  std::uint32_t AudioIn(int channel) const { return static_cast<std::uint32_t>(channel); }
  std::uint32_t AudioOut(int channel) const { return static_cast<std::uint32_t>(mChannels + channel); }
  std::uint32_t MessagesIn() const { return static_cast<std::uint32_t>(2 * mChannels); }
  std::uint32_t MessagesOut() const { return MessagesIn() + 1; }
  std::uint32_t Param(int index) const { return MessagesIn() + 2 + static_cast<std::uint32_t>(index); }
  std::uint32_t Latency() const { return Param(mParams); }
  std::uint32_t Count() const { return Latency() + 1; }
  // What port `port` is; Kind::None past the last.
  Port Find(std::uint32_t port) const;

 private:
  int mChannels;
  int mParams;
};

// The symbol of a parameter's port, from its name: letters and digits in
// lower case, every other run of characters one "_" ("OUT:EBU IL" becomes
// "out_ebu_il"); "p" leads a symbol that would start with a digit.
std::string LV2Symbol(std::string_view name);

}  // namespace iplug
