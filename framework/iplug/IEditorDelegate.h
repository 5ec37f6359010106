// The bottom of the plug-in class chain: the parameter list, the editor's
// size, size limits and saved geometry, and the hooks through which
// parameter changes reach the plug-in and the editor.
#pragma once

#include <memory>
#include <string>

#include "IParam.h"
#include "PluginConfig.h"

namespace iplug {

class IEditorDelegate {
 public:
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  int NParams() const { return mParamCount; }
  // Null for an index outside the list.
  IParam* GetParam(int index);
  const IParam* GetParam(int index) const;

  // Called after a parameter's value changed (sampleOffset is always -1), or
  // with a command code in place of an index. Any thread the change came from.
  virtual void OnParamChange(int /*index*/, ParamSource /*source*/, int /*sampleOffset*/) {}
  // The editor-side reaction to a change. Main thread.
  virtual void OnParamChangeEditor(int /*index*/, ParamSource /*source*/) {}

  // OnParamChange then OnParamChangeEditor for every parameter, in order;
  // after a recall (source PresetRecall) then OnParamsRecalled.
  void NotifyAllParams(ParamSource source);
  // A preset, program or state has set the parameters and every reaction
  // has run. Main thread.
  virtual void OnParamsRecalled() {}
  // Sends every parameter's normalized value to the editor.
  virtual void OnStateRestored();
  // Updates the editor's controls bound to the parameter (the editor binding
  // overrides UpdateEditorControls), then OnParamChangeEditor(index, Delegate).
  virtual void SendParamToEditor(int index, double value, bool isNormalized);

  // Editor window life (main thread).
  virtual void OnEditorOpened() { OnStateRestored(); }
  virtual void OnEditorClosed() {}
  // Draws the editor off screen at `scale` into a PNG file, whether or not
  // its window is open; false without an editor or when writing failed.
  // The editor window's size in pixels as the host should make room for it:
  // the open window's, or the size it will open at. Main thread.
  virtual void EditorPixelSize(int& width, int& height) const {
    width = EditorWidth();
    height = EditorHeight();
  }
  virtual bool WriteEditorSnapshot(const std::string& /*path*/, double /*scale*/) { return false; }

  // A control changed a parameter: see IPlugAPIBase.
  virtual void SetParamFromEditor(int /*index*/, double /*normalized*/) {}
  // Host notifications an editor control asks for (a mouse press on a
  // parameter control is bracketed by a gesture).
  virtual void BeginParamGesture(int /*index*/) {}
  virtual void EndParamGesture(int /*index*/) {}

  // Editor geometry.
  int EditorWidth() const { return mEditorWidth; }
  int EditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height) {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  // The smaller of each pair becomes the minimum.
  void SetSizeConstraints(int widthA, int widthB, int heightA, int heightB);
  int MinWidth() const { return mMinWidth; }
  int MaxWidth() const { return mMaxWidth; }
  int MinHeight() const { return mMinHeight; }
  int MaxHeight() const { return mMaxHeight; }
  // True when both lie within the size limits; otherwise both are clamped
  // into them and the answer is false.
  bool ConstrainEditorSize(int& width, int& height) const;

  // Whether an editor window object exists (it may be closed). Main thread.
  virtual bool EditorExists() const { return false; }
  // The open editor's current draw scale; 1 without an editor.
  virtual double EditorDrawScale() const { return 1.0; }
  // Asks the host to resize its window to the editor's new pixel size; the
  // host binding answers whether it did. Main thread.
  virtual bool RequestEditorSize(int /*width*/, int /*height*/) { return false; }

  // Size and scale saved when the editor last closed; all 0 before.
  void SaveEditorGeometry(int width, int height, double scale) {
    mSavedWidth = width;
    mSavedHeight = height;
    mSavedScale = scale;
  }
  int SavedWidth() const { return mSavedWidth; }
  int SavedHeight() const { return mSavedHeight; }
  double SavedScale() const { return mSavedScale; }

 protected:
  // Where the editor binding moves its controls to a parameter's new value.
  virtual void UpdateEditorControls(int /*index*/, double /*value*/, bool /*isNormalized*/) {}

 private:
  int mParamCount;
  std::unique_ptr<IParam[]> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 10;
  int mMaxWidth = 100000;
  int mMinHeight = 10;
  int mMaxHeight = 100000;
  int mSavedWidth = 0;
  int mSavedHeight = 0;
  double mSavedScale = 0.0;
};

}  // namespace iplug
