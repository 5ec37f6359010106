// Connects a plug-in class of the framework to its editor: the host
// binding's editor hooks (open, close, keys, "is there an editor") and the
// delegate's parameter updates go to an EditorSession. A plug-in class (on
// iplug::IPlug, or written directly on a format binding) is wrapped as
// EditorBinding<PluginClass> and installs its factory and layout with
// GetEditorSession() in its constructor.
//
// Drawing happens in PumpEditor, on the host's GUI thread: the binding's
// OnIdle calls it; a plug-in that overrides OnIdle calls PumpEditor at the
// end of its own, so a refresh it made shows in the same tick.
#pragma once

#include <cstdint>
#include <string>

#include "EditorSession.h"
#include "framework/iplug/IPlug.h"

namespace igraphics {

template <class Base>
class EditorBinding : public Base {
 public:
  // The plug-in base, a virtual base, is the most derived class's to
  // construct: the initializer here is never used.
  template <typename... Args>
  explicit EditorBinding(Args&&... args)
      : iplug::IPlug(iplug::PluginConfig{}), Base(std::forward<Args>(args)...), mSession(*this) {
    // A window timer is the host's GUI thread giving idle time, as
    // effEditIdle is.
    mSession.SetWindowTick([this] { this->OnHostIdle(); });
  }

  EditorSession& GetEditorSession() { return mSession; }
  IGraphics* GetUI() const { return mSession.GetUI(); }

  bool EditorExists() const override { return mSession.IsOpen(); }
  double EditorDrawScale() const override {
    return mSession.GetUI() ? static_cast<double>(mSession.GetUI()->GetDrawScale()) : 1.0;
  }
  void OnIdle() override { PumpEditor(); }
  bool WriteEditorSnapshot(const std::string& path, double scale) override {
    return mSession.WriteSnapshot(path, scale, [this] { PrepareSnapshot(); });
  }
  std::uintptr_t EditorWindowId() const override {
    IGraphics* ui = mSession.GetUI();
    graphics::Window* window = ui ? ui->GetWindow() : nullptr;
    return window ? window->Id() : 0;
  }
  // Window events, tooltips, animations, drawing. GUI thread.
  void PumpEditor() { mSession.OnIdle(); }

 protected:
  // Brings the controls up to date before a snapshot is drawn.
  virtual void PrepareSnapshot() {}
  bool EditorWindowAvailable() const override { return true; }
  bool OpenEditorWindow(void* parent) override {
    return mSession.Open(reinterpret_cast<std::uintptr_t>(parent));
  }
  void CloseEditorWindow() override { mSession.Close(); }
  bool OnKeyDown(const KeyPress& key) override { return mSession.OnKeyDown(key); }
  bool OnKeyUp(const KeyPress& key) override { return mSession.OnKeyUp(key); }
  void UpdateEditorControls(int index, double value, bool isNormalized) override {
    mSession.SendParamToEditor(index, value, isNormalized);
  }

 private:
  EditorSession mSession;
};

}  // namespace igraphics
