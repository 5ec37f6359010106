#include "tools/PluginInstance.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kalvo5::meter {
namespace {

using namespace vst2;

// Text buffers far larger than the nominal limits, as hosts give them:
// plug-ins often write more than those limits allow.
constexpr std::size_t kTextBuffer = 512;

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::unique_ptr<PluginInstance> PluginInstance::Create(const PluginLibrary& library, std::string& error) {
  std::unique_ptr<PluginInstance> instance(new PluginInstance());
  instance->host_ = std::make_unique<HostContext>();
  instance->host_->SetPluginFolder(library.Folder());
  AEffect* effect = instance->host_->CreateInstance(library.Entry());
  if (effect == nullptr) {
    error = "the plug-in's entry point " + library.EntryName() + " created no instance: " + library.Path();
    return nullptr;
  }
  if (effect->magic != kEffectMagic || effect->dispatcher == nullptr || effect->setParameter == nullptr ||
      effect->getParameter == nullptr) {
    error = "not a VST 2 effect record: " + library.Path();
    return nullptr;  // an unknown record cannot be closed safely
  }
  if (effect->numParams < 0 || effect->numInputs < 0 || effect->numOutputs < 0) {
    error = "the plug-in reports negative parameter or channel counts: " + library.Path();
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    return nullptr;
  }
  instance->effect_ = effect;
  instance->host_->Automation().Reset(effect->numParams);
  instance->Dispatch(effOpen);
  return instance;
}

PluginInstance::~PluginInstance() {
  if (effect_ == nullptr) return;
  if (resumed_) Suspend();
  Dispatch(effClose);
}

VstIntPtr PluginInstance::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) const {
  const HostContext::CallScope scope(*host_);
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

float PluginInstance::GetParameter(int index) const {
  const HostContext::CallScope scope(*host_);
  return effect_->getParameter(effect_, index);
}

bool PluginInstance::WriteEditorSnapshot(const std::string& path, double scale) {
  return Dispatch(vst2::effVendorSpecific, vst2::kVantorelEditorSnapshot, 0, const_cast<char*>(path.c_str()),
                  static_cast<float>(scale)) == 1;
}

std::optional<SampleRateRange> PluginInstance::MeasuredSampleRates() const {
  double rates[2] = {};
  if (Dispatch(vst2::effVendorSpecific, vst2::kVantorelSampleRates, 0, rates) != 1) return std::nullopt;
  if (!(rates[0] > 0.0 && rates[1] >= rates[0])) return std::nullopt;
  return SampleRateRange{rates[0], rates[1]};
}

std::string PluginInstance::NoMeasurementReason(int index) const {
  char reason[vst2::kVstMaxLabelLen * 4] = {};
  if (Dispatch(vst2::effVendorSpecific, vst2::kVantorelNoMeasurement, index, reason) != 1) return {};
  reason[sizeof reason - 1] = '\0';
  return reason;
}

void PluginInstance::SetParameter(int index, float normalized) const {
  const HostContext::CallScope scope(*host_);
  effect_->setParameter(effect_, index, normalized);
}

bool PluginInstance::SetParameterText(int index, const std::string& text) const {
  // The plug-in may write into the text buffer, so it gets a roomy copy.
  std::array<char, kTextBuffer> buffer{};
  text.copy(buffer.data(), buffer.size() - 1);
  return Dispatch(effString2Parameter, index, 0, buffer.data()) != 0;
}

void PluginInstance::Process(double** inputs, double** outputs, int frames) {
  const HostContext::CallScope scope(*host_);
  effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

void PluginInstance::Process(float** inputs, float** outputs, int frames) {
  const HostContext::CallScope scope(*host_);
  effect_->processReplacing(effect_, inputs, outputs, frames);
}

bool PluginInstance::CanDoubleReplacing() const {
  return (effect_->flags & effFlagsCanDoubleReplacing) != 0 && effect_->processDoubleReplacing != nullptr;
}

bool PluginInstance::CanReplacing() const {
  return (effect_->flags & effFlagsCanReplacing) != 0 && effect_->processReplacing != nullptr;
}

bool PluginInstance::HasProgramChunks() const { return (effect_->flags & effFlagsProgramChunks) != 0; }

std::string PluginInstance::DispatchText(VstInt32 opcode, int index) const {
  std::array<char, kTextBuffer> text{};
  Dispatch(opcode, index, 0, text.data());
  text.back() = '\0';
  return text.data();
}

std::string PluginInstance::EffectName() const { return DispatchText(effGetEffectName, 0); }
std::string PluginInstance::VendorName() const { return DispatchText(effGetVendorString, 0); }
std::string PluginInstance::ProductName() const { return DispatchText(effGetProductString, 0); }
std::string PluginInstance::ParameterName(int index) const { return DispatchText(effGetParamName, index); }
std::string PluginInstance::ParameterDisplay(int index) const {
  return DispatchText(effGetParamDisplay, index);
}
std::string PluginInstance::ParameterLabel(int index) const { return DispatchText(effGetParamLabel, index); }

std::string PluginInstance::DisplayOfValue(int index, float normalized) const {
  return DisplayOfValueIfAnswered(index, normalized).value_or(ParameterDisplay(index));
}

std::optional<std::string> PluginInstance::DisplayOfValueIfAnswered(int index, float normalized) const {
  std::array<char, kTextBuffer> text{};
  if (Dispatch(effVendorSpecific, effGetParamDisplay, index, text.data(), normalized) !=
      kCockosVendorAnswer) {
    return std::nullopt;
  }
  text.back() = '\0';
  return std::string(text.data());
}

std::string PluginInstance::ProgramName(int index) const {
  std::array<char, kTextBuffer> text{};
  if (Dispatch(effGetProgramNameIndexed, index, 0, text.data()) != 0) {
    text.back() = '\0';
    return text.data();
  }
  // Plug-ins without the indexed query still name their current program.
  if (Dispatch(effGetProgram) == index) return DispatchText(effGetProgramName, 0);
  return {};
}

bool PluginInstance::SelectProgram(int index) const {
  Dispatch(effBeginSetProgram);
  Dispatch(effSetProgram, 0, index);
  Dispatch(effEndSetProgram);
  return Dispatch(effGetProgram) == index;
}

int PluginInstance::FindParameter(const std::string& name) const {
  const int count = ParameterCount();
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    names.push_back(ParameterName(i));
    if (names.back() == name) return i;
  }
  for (int i = 0; i < count; ++i) {
    if (EqualIgnoringCase(names[static_cast<std::size_t>(i)], name)) return i;
  }
  return -1;
}

void PluginInstance::Configure(double sampleRate, int maxBlockSize, bool doublePrecision) {
  host_->SetSampleRate(sampleRate);
  host_->SetBlockSize(maxBlockSize);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, maxBlockSize);
  Dispatch(effSetProcessPrecision, 0, doublePrecision ? kVstProcessPrecision64 : kVstProcessPrecision32);
}

void PluginInstance::Resume() {
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  resumed_ = true;
}

void PluginInstance::Suspend() {
  Dispatch(effStopProcess);
  Dispatch(effMainsChanged, 0, 0);
  resumed_ = false;
}

}  // namespace kalvo5::meter
