// Message boxes, web addresses, file prompts and the clipboard.
#include <mutex>

#include "IGraphics.h"
#include "IMessageBoxControl.h"
#include "IPopupMenuControl.h"
#include "ITextEntryControl.h"

namespace igraphics {
namespace {

// The clipboard of a process without an open window.
std::mutex& LocalClipboardLock() {
  static std::mutex lock;
  return lock;
}

std::string& LocalClipboard() {
  static std::string text;
  return text;
}

bool IsLocalFileAddress(const std::string& address) { return address.rfind("file://", 0) == 0; }

}  // namespace

int IGraphics::ShowMessageBox(const std::string& text, const std::string& caption, int type,
                              MessageBoxCompletion completion) {
  // The box takes the mouse: a control pressed on the way here never gets
  // its release.
  AbandonPress();
  if (mMessageBox) {
    // One at a time: the next shows when this one is answered.
    mPendingMessages.push_back({text, caption, type, std::move(completion)});
    return kResultNone;
  }
  HideTooltip();
  DismissPopupMenu();
  if (TextEntryActive()) CancelTextEntry();
  const Rect editor{0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight)};
  mMessageBox =
      std::make_unique<IMessageBoxControl>(editor, text, caption, type == kMB_YESNO ? kMB_YESNO : kMB_OK);
  mMessageBox->SetDelegate(&mDelegate);
  mMessageBox->SetGraphics(this);
  mMessageBoxCompletion = std::move(completion);
  mFullRedraw = true;
  return kResultNone;
}

void IGraphics::CloseMessageBox(int result) {
  if (!mMessageBox) return;
  if (mCaptured == mMessageBox.get()) mCaptured = nullptr;
  mRetiredMessageBox = std::move(mMessageBox);
  MessageBoxCompletion completion = std::move(mMessageBoxCompletion);
  mMessageBoxCompletion = nullptr;
  mFullRedraw = true;
  if (completion) completion(result);
  if (!mMessageBox && !mPendingMessages.empty()) {
    PendingMessage next = std::move(mPendingMessages.front());
    mPendingMessages.erase(mPendingMessages.begin());
    ShowMessageBox(next.text, next.caption, next.type, std::move(next.completion));
  }
  HoverAgainAtPointer();
}

bool IGraphics::OpenURL(const std::string& address, const std::string& title, const std::string& confirm,
                        const std::string& error, std::function<void(bool)> done) {
  auto open = [this, address, title, error, done]() {
    // A local file opens whatever the network state.
    const bool online =
        IsLocalFileAddress(address) || (mPlatform.internetConnected && mPlatform.internetConnected());
    bool opened = false;
    if (online) {
      opened = mPlatform.openAddress && mPlatform.openAddress(address);
    } else if (!error.empty()) {
      ShowMessageBox(error, title, kMB_OK);
    }
    if (done) done(opened);
    return opened;
  };
  if (confirm.empty()) return open();
  ShowMessageBox(confirm, title, kMB_YESNO, [open, done](int answer) {
    if (answer == kResultYes)
      open();
    else if (done)
      done(false);
  });
  return false;
}

namespace {

// The invisible owner of an in-editor path prompt: it receives the typed
// path and tells the caller once ("" when the entry is cancelled). A prompt
// still open when the editor closes tells nothing: the caller may be gone.
class PathPromptControl : public IControl {
 public:
  explicit PathPromptControl(std::function<void(const std::string&)> done)
      : IControl({}), mDone(std::move(done)) {}
  void Draw(IGraphics&) override {}
  void OnTextEntered(const char* text, int) override { Finish(text); }
  void Finish(const std::string& path) {
    auto done = std::move(mDone);
    mDone = nullptr;
    if (done) done(path);
  }

 private:
  std::function<void(const std::string&)> mDone;
};

std::string JoinPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (file.empty()) return folder;
  return folder.back() == '/' ? folder + file : folder + "/" + file;
}

}  // namespace

void IGraphics::PromptForPathInEditor(const std::string& initial,
                                      std::function<void(const std::string&)> done) {
  if (!mTextEntry) AddTextEntry(TextStyle{});
  if (TextEntryActive()) CancelTextEntry();
  mPathPrompt = std::make_unique<PathPromptControl>(std::move(done));
  mPathPrompt->SetDelegate(&mDelegate);
  mPathPrompt->SetGraphics(this);
  mPathPrompt->SetTextEntryLength(4096);
  TextStyle style;
  style.size = 12.0f;
  style.align = HAlign::Near;
  ShowTextEntry(mPathPrompt.get(), style, {4.0f, 4.0f, static_cast<float>(mWidth) - 4.0f, 24.0f}, initial, 0);
  // A path is usually completed, not replaced: the caret goes to its end.
  KeyPress end;
  end.vk = vk::kEnd;
  mTextEntry->OnControlKeyDown(0.0f, 0.0f, end);
}

void IGraphics::PromptForFile(const std::string& path, const std::string& folder, FileAction action,
                              const std::string& extensions, std::function<void(const std::string&)> done) {
  ReleaseMouseCapture();
  if (mPlatform.promptForFile && mPlatform.promptForFile(path, folder, action, extensions, done)) return;
  PromptForPathInEditor(JoinPath(folder, path), std::move(done));
}

void IGraphics::PromptForDirectory(const std::string& folder, std::function<void(const std::string&)> done) {
  ReleaseMouseCapture();
  if (mPlatform.promptForDirectory && mPlatform.promptForDirectory(folder, done)) return;
  PromptForPathInEditor(folder, std::move(done));
}

bool IGraphics::RevealPath(const std::string& path, bool select) {
  return mPlatform.revealPath && mPlatform.revealPath(path, select);
}

std::string IGraphics::GetClipboardText() {
  if (mWindow) return mWindow->GetClipboardText();
  std::lock_guard<std::mutex> guard(LocalClipboardLock());
  return LocalClipboard();
}

void IGraphics::SetClipboardText(const std::string& text) {
  if (mWindow) {
    mWindow->SetClipboardText(text);
    return;
  }
  std::lock_guard<std::mutex> guard(LocalClipboardLock());
  LocalClipboard() = text;
}

}  // namespace igraphics
