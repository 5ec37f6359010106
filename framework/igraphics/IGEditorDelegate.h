// The part of the class chain that will own the editor window: it remembers
// the window's last size and scale across openings. Until a window exists,
// the window questions answer "no editor".
#pragma once

#include <algorithm>

#include "../iplug/IEditorDelegate.h"

namespace igraphics {

class IGEditorDelegate : public iplug::IEditorDelegate {
 public:
  explicit IGEditorDelegate(int nParams) : iplug::IEditorDelegate(nParams) {}

  // Whether an editor window object exists (it may be closed). Main thread.
  virtual bool EditorExists() const { return false; }
  // The open editor's current draw scale; 1 without an editor.
  virtual double EditorDrawScale() const { return 1.0; }

  // Asks the host to resize its window to the editor's new pixel size; the
  // host binding answers whether it did. Main thread.
  virtual bool RequestEditorSize(int /*width*/, int /*height*/) { return false; }

  // True when both lie within the size limits; otherwise both are clamped
  // into them and the answer is false.
  bool ConstrainEditorSize(int& width, int& height) const {
    const int w = std::clamp(width, MinWidth(), std::max(MinWidth(), MaxWidth()));
    const int h = std::clamp(height, MinHeight(), std::max(MinHeight(), MaxHeight()));
    const bool within = w == width && h == height;
    width = w;
    height = h;
    return within;
  }

  // Size and scale saved when the editor last closed; all 0 before.
  void SaveEditorGeometry(int width, int height, double scale) {
    mSavedWidth = width;
    mSavedHeight = height;
    mSavedScale = scale;
  }
  int SavedWidth() const { return mSavedWidth; }
  int SavedHeight() const { return mSavedHeight; }
  double SavedScale() const { return mSavedScale; }

 private:
  int mSavedWidth = 0;
  int mSavedHeight = 0;
  double mSavedScale = 0.0;
};

}  // namespace igraphics
