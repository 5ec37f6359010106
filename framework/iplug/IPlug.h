// The plug-in as every format binding sees it: the parameter and host
// notification layer (IPlugAPIBase), the audio side (IPlugProcessor) and the
// editor and key hooks a binding calls. It knows no plug-in format.
//
// A plug-in class derives from it virtually and knows no format either; a
// format binding (IPlugVST2, IPlugLV2) derives from it virtually too,
// overriding the host notifications, and one class per format joins the two:
//
//   class Kalvo5VST2 final : public iplug::IPlugVST2, public Kalvo5WithEditor
//
// The joining class constructs the shared base with the plug-in's
// configuration. Every class that derives from the base declares its
// alignment too (alignas(IPlug)): a base class is placed by the alignment of
// its own members, and the compiler's code for its constructor assumes the
// whole class's, which the shared base's cache-line aligned queues raise. The binding is constructed first
// and taken apart last, so the plug-in's object lives entirely inside its binding's lifetime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "IPlugAPIBase.h"
#include "IPlugProcessor.h"
#include "KeyTranslation.h"

namespace iplug {

class IPlug : public IPlugAPIBase, public IPlugProcessor {
 public:
  explicit IPlug(const PluginConfig& config) : IPlugAPIBase(config), IPlugProcessor(config) {}

  // The output parameters brought up to the latest measurement without a
  // word to the host, for a binding that hands them over after every
  // process call (audio thread, at the end of the call).
  virtual void TakeLatestOutputs() {}

  // For a format with one plug-in per channel count: the settings that
  // follow from the count are the plug-in's to set (main thread), and a
  // preset leaves those it names alone.
  virtual void SetChannelLayout(int /*channels*/) {}
  virtual bool FollowsChannelLayout(int /*index*/) const { return false; }

  // The state as a text document of its own, for a format that stores it
  // as one: false when the plug-in keeps none. Reading it back answers false
  // and changes nothing when the document is refused (main thread).
  virtual bool WriteStateDocument(std::string& /*document*/) { return false; }
  virtual bool ReadStateDocument(std::string_view /*document*/) { return false; }

  // For a format whose editor runs apart from the processing, maybe in
  // another process: what the editor shows, as bytes the processor sends
  // and the editor's own copy of the plug-in takes. TakeEditorSnapshot
  // writes one into `out` when one is due and answers its size, else 0
  // (audio thread, at the end of a process call, before OnBlockEnd);
  // ShowEditorSnapshot takes one on the editor's side (GUI thread).
  static constexpr std::size_t kMaxEditorSnapshotBytes = 4096;
  virtual std::size_t TakeEditorSnapshot(std::span<std::byte> /*out*/) { return 0; }
  virtual void ShowEditorSnapshot(std::span<const std::byte> /*snapshot*/) {}

  // The open editor window's native id (an X11 window, a Windows window
  // handle); 0 while there is none.
  virtual std::uintptr_t EditorWindowId() const { return 0; }

 protected:
  // Keys the host passes to the editor; true when the editor used the key.
  virtual bool OnKeyDown(const KeyPress& /*key*/) { return false; }
  virtual bool OnKeyUp(const KeyPress& /*key*/) { return false; }

  // The editor window inside the host's parent window (an X11 window id or
  // a Windows window handle passed as a pointer). Without an editor window
  // implementation a binding advertises no editor and opening fails.
  virtual bool EditorWindowAvailable() const { return false; }
  virtual bool OpenEditorWindow(void* /*parent*/) { return false; }
  // Saves the window's size and scale and destroys it.
  virtual void CloseEditorWindow() {}
};

}  // namespace iplug
