// The system's common dialogs, each shown by a thread of its own: the host's
// GUI thread never waits in a dialog's message loop (nor holds the plug-in's
// main-thread lock there), and the dialog thread never calls the host. Poll
// reads what the thread left.
#include "platform/FileDialog.h"

#include <windows.h>
// After windows.h: these headers need its types.
#include <commdlg.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/TextEncoding.h"

namespace platform {

namespace {

// Room for the chosen path (the dialogs' long-path limit).
constexpr std::size_t kPathCapacity = 32768;

struct Request {
  FileDialogKind kind = FileDialogKind::Open;
  std::wstring folder, fileName, title;
  std::vector<std::wstring> extensions;
};

// "VRS files (*.vrs)\0*.vrs\0All files (*.*)\0*.*\0\0"
std::wstring FilterOf(const std::vector<std::wstring>& extensions) {
  std::wstring filter;
  for (const std::wstring& extension : extensions) {
    std::wstring upper = extension;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    filter += upper + L" files (*." + extension + L")" + L'\0' + L"*." + extension + L'\0';
  }
  filter += std::wstring(L"All files (*.*)") + L'\0' + L"*.*" + L'\0';
  return filter + L'\0';
}

// The chosen path, or "" when the dialog was cancelled.
std::wstring ShowFileDialog(const Request& request) {
  std::wstring file(kPathCapacity, L'\0');
  request.fileName.copy(file.data(), std::min(request.fileName.size(), kPathCapacity - 1));
  const std::wstring filter = FilterOf(request.extensions);
  const bool save = request.kind == FileDialogKind::Save;
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(kPathCapacity);
  dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
  dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  dialog.lpstrDefExt = request.extensions.empty() ? nullptr : request.extensions.front().c_str();
  dialog.Flags =
      OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  return chosen ? std::wstring(file.c_str()) : std::wstring();
}

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED && folder != 0) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, folder);
  return 0;
}

std::wstring ShowFolderDialog(const Request& request) {
  BROWSEINFOW browse{};
  browse.lpszTitle = request.title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  browse.lpfn = &SelectStartFolder;
  browse.lParam = reinterpret_cast<LPARAM>(request.folder.empty() ? nullptr : request.folder.c_str());
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
  if (!item) return {};
  std::wstring path(kPathCapacity, L'\0');
  const bool found =
      SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(kPathCapacity), GPFIDL_DEFAULT);
  CoTaskMemFree(item);
  return found ? std::wstring(path.c_str()) : std::wstring();
}

BOOL CALLBACK CloseThreadWindow(HWND window, LPARAM) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

// What the dialog thread and the handle share; the thread keeps it alive
// even if the handle has to let the thread go.
struct DialogOutcome {
  std::mutex lock;
  bool finished = false;
  std::wstring path;
  std::atomic<DWORD> threadId{0};
};

struct FileDialog::Running {
  std::shared_ptr<DialogOutcome> outcome = std::make_shared<DialogOutcome>();
  std::thread thread;

  ~Running() {
    if (!thread.joinable()) return;
    // A dialog still shown is closed: every window of its thread gets
    // WM_CLOSE until the thread ends (a second at most, then it is let go).
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < giveUp) {
      {
        std::lock_guard<std::mutex> guard(outcome->lock);
        if (outcome->finished) break;
      }
      if (const DWORD id = outcome->threadId.load()) EnumThreadWindows(id, &CloseThreadWindow, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    bool finished = false;
    {
      std::lock_guard<std::mutex> guard(outcome->lock);
      finished = outcome->finished;
    }
    if (finished)
      thread.join();
    else
      thread.detach();
  }
};

FileDialog StartFileDialog(FileDialogKind kind, const std::string& startFolder,
                           const std::vector<std::string>& extensions, const std::string& title,
                           const std::string& fileName) {
  Request request;
  request.kind = kind;
  request.folder = Utf8ToSystemPath(startFolder);
  request.fileName = Utf8ToUtf16(fileName);
  request.title = Utf8ToUtf16(title);
  for (const std::string& extension : extensions) request.extensions.push_back(Utf8ToUtf16(extension));

  FileDialog dialog;
  auto running = std::make_shared<FileDialog::Running>();
  try {
    running->thread = std::thread([outcome = running->outcome, request = std::move(request)] {
      outcome->threadId.store(GetCurrentThreadId());
      // The folder browser needs COM; the file dialogs are content with it.
      const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
      std::wstring path =
          request.kind == FileDialogKind::Folder ? ShowFolderDialog(request) : ShowFileDialog(request);
      if (SUCCEEDED(com)) CoUninitialize();
      std::lock_guard<std::mutex> guard(outcome->lock);
      outcome->path = std::move(path);
      outcome->finished = true;
    });
  } catch (const std::system_error&) {
    return dialog;  // no thread: Unavailable, the caller asks in another way
  }
  dialog.mRunning = std::move(running);
  dialog.mResult.state = FileDialogResult::State::Pending;
  return dialog;
}

FileDialogResult FileDialog::Poll() {
  if (!mRunning || mResult.state != FileDialogResult::State::Pending) return mResult;
  std::lock_guard<std::mutex> guard(mRunning->outcome->lock);
  if (!mRunning->outcome->finished) return mResult;
  const std::wstring& path = mRunning->outcome->path;
  mResult.state = path.empty() ? FileDialogResult::State::Cancelled : FileDialogResult::State::Chosen;
  mResult.path = SystemPathToUtf8(path);
  return mResult;
}

}  // namespace platform
