#include "EditorSession.h"

#include "DesktopServices.h"
#include "IGEditorDelegate.h"
#include "framework/iplug/IParam.h"

namespace igraphics {

bool EditorSession::Create() {
  if (mGraphics) return true;
  if (!mFactory) return false;
  mGraphics = mFactory();
  if (!mGraphics) return false;
  mGraphics->SetPlatformServices(DesktopServices());
  if (mDelegate.SavedWidth() > 0 && mDelegate.SavedHeight() > 0 && mDelegate.SavedScale() > 0.0)
    mGraphics->ResizeEditor(mDelegate.SavedWidth(), mDelegate.SavedHeight(),
                            static_cast<float>(mDelegate.SavedScale()), false);
  mGraphics->SetLayoutFunction(mLayout);
  return true;
}

bool EditorSession::Open(std::uintptr_t parent, std::string* error) {
  const bool existed = mGraphics != nullptr;
  if (!Create()) return false;
  if (!mGraphics->OpenWindow(parent, error)) {
    if (!existed) mGraphics.reset();
    return false;
  }
  if (!existed && mLayout) mLayout(*mGraphics);
  mDelegate.OnEditorOpened();
  if (mWindowTick && mGraphics->GetWindow()) mGraphics->GetWindow()->SetTickHandler(mWindowTick);
  return true;
}

bool EditorSession::OpenOffscreen() {
  if (mGraphics) return true;
  if (!Create()) return false;
  if (mLayout) mLayout(*mGraphics);
  mDelegate.OnEditorOpened();
  return true;
}

bool EditorSession::WriteSnapshot(const std::string& path, double scale,
                                  const std::function<void()>& prepare) {
  if (!(scale > 0.0)) scale = 1.0;
  const bool temporary = !mGraphics;
  if (temporary && !OpenOffscreen()) return false;
  const float previousScale = mGraphics->GetDrawScale();
  mGraphics->ResizeEditor(mGraphics->Width(), mGraphics->Height(), static_cast<float>(scale), false);
  if (prepare) prepare();
  mGraphics->Draw();
  const bool written = mGraphics->WritePng(path);
  if (temporary) {
    mDelegate.OnEditorClosed();
    mGraphics.reset();
  } else {
    mGraphics->ResizeEditor(mGraphics->Width(), mGraphics->Height(), previousScale, false);
  }
  return written;
}

void EditorSession::Close() {
  if (!mGraphics) return;
  mDelegate.SaveEditorGeometry(mGraphics->Width(), mGraphics->Height(), mGraphics->GetDrawScale());
  mGraphics->CloseWindow();
  mGraphics.reset();
}

void EditorSession::SendParamToEditor(int paramIdx, double value, bool isNormalized) {
  if (!mGraphics) return;
  if (!isNormalized) {
    const iplug::IParam* param = mDelegate.GetParam(paramIdx);
    if (!param) return;
    value = param->NormalizedFromValue(value);
  }
  mGraphics->SendParamToControls(paramIdx, value);
}

void EditorSession::SendControlValue(int tag, double normalized) {
  if (mGraphics) mGraphics->SendControlValue(tag, normalized);
}

void EditorSession::SendControlMessage(int tag, int messageTag, int size, const void* data) {
  if (mGraphics) mGraphics->SendControlMessage(tag, messageTag, size, data);
}

bool EditorSession::OnKeyDown(const KeyPress& key) {
  return mGraphics && mGraphics->OnKeyDown(mGraphics->PointerX(), mGraphics->PointerY(), key);
}

bool EditorSession::OnKeyUp(const KeyPress& key) {
  return mGraphics && mGraphics->OnKeyUp(mGraphics->PointerX(), mGraphics->PointerY(), key);
}

}  // namespace igraphics
