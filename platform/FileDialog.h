// The desktop's file and folder dialogs, run by a dialog program (zenity or
// kdialog) beside the caller: starting one returns at once, and the caller
// asks for the outcome now and then (a GUI thread on its timer ticks).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class FileDialogKind { Open, Save, Folder };

struct FileDialogResult {
  enum class State {
    Pending,      // still shown
    Chosen,       // path holds the choice
    Cancelled,    // closed without a choice
    Unavailable,  // no dialog program could be run: ask in another way
  };
  State state = State::Unavailable;
  std::string path;
};

// A dialog shown by a program of its own. Closing the handle closes a dialog
// still shown. One thread at a time uses a handle.
class FileDialog {
 public:
  FileDialog() = default;
  // Pending until the dialog closes, then the same final result on every
  // call. Never waits.
  FileDialogResult Poll();

 private:
  friend FileDialog StartFileDialog(FileDialogKind, const std::string&, const std::vector<std::string>&,
                                    const std::string&, const std::string&);
  // The system's side of a dialog that was started (a dialog program, or a
  // thread showing the system's dialog); none when no dialog could be shown.
  struct Running;
  std::shared_ptr<Running> mRunning;
  FileDialogResult mResult;
};

// Shows a dialog that chooses a file to open, a file to save or a folder,
// starting in `startFolder` (with `fileName` proposed when saving), listing
// files with the given extensions ("vrs", without the dot; all files when
// none), titled `title`. Uses kdialog first on a KDE desktop, else zenity
// first, whichever is installed. Unavailable when neither is.
FileDialog StartFileDialog(FileDialogKind kind, const std::string& startFolder,
                           const std::vector<std::string>& extensions, const std::string& title,
                           const std::string& fileName = {});

// The argument vectors given to the two dialog programs (after the program's
// name), for the same request.
std::vector<std::string> ZenityArguments(FileDialogKind kind, const std::string& startFolder,
                                         const std::vector<std::string>& extensions, const std::string& title,
                                         const std::string& fileName);
std::vector<std::string> KdialogArguments(FileDialogKind kind, const std::string& startFolder,
                                          const std::vector<std::string>& extensions,
                                          const std::string& title, const std::string& fileName);

}  // namespace platform
