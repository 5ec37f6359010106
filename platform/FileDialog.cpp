#include "platform/FileDialog.h"

#include <cstdlib>
#include <cstring>

#include "platform/ChildProcess.h"
#include "platform/Paths.h"

namespace platform {

struct FileDialog::Running {
  OutputChild child;
  std::string output;
};

namespace {

// Longer answers are no path of this system; they are ignored rather than
// cut into another path.
constexpr std::size_t kMaxAnswerBytes = 16384;

std::string Patterns(const std::vector<std::string>& extensions) {
  std::string patterns;
  for (const std::string& extension : extensions) {
    if (extension.empty()) continue;
    if (!patterns.empty()) patterns += ' ';
    patterns += "*." + extension;
  }
  return patterns;
}

// Where the dialog starts: the folder, with the proposed name when saving.
std::string StartPath(FileDialogKind kind, const std::string& startFolder, const std::string& fileName) {
  if (kind != FileDialogKind::Save || fileName.empty()) return startFolder;
  return startFolder.empty() ? fileName : JoinPath(startFolder, fileName);
}

bool PrefersKdialog() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop && std::strstr(desktop, "KDE") != nullptr;
}

}  // namespace

std::vector<std::string> ZenityArguments(FileDialogKind kind, const std::string& startFolder,
                                         const std::vector<std::string>& extensions, const std::string& title,
                                         const std::string& fileName) {
  std::vector<std::string> arguments{"--file-selection"};
  if (!title.empty()) arguments.push_back("--title=" + title);
  if (kind == FileDialogKind::Save) arguments.emplace_back("--save");
  if (kind == FileDialogKind::Folder) arguments.emplace_back("--directory");
  std::string start = StartPath(kind, startFolder, fileName);
  // zenity opens a folder only when its name ends with a separator.
  if (start == startFolder && !start.empty() && start.back() != '/') start += '/';
  if (!start.empty()) arguments.push_back("--filename=" + start);
  if (const std::string patterns = Patterns(extensions); kind != FileDialogKind::Folder && !patterns.empty())
    arguments.push_back("--file-filter=" + patterns);
  return arguments;
}

std::vector<std::string> KdialogArguments(FileDialogKind kind, const std::string& startFolder,
                                          const std::vector<std::string>& extensions,
                                          const std::string& title, const std::string& fileName) {
  std::vector<std::string> arguments;
  if (!title.empty()) arguments.insert(arguments.end(), {"--title", title});
  arguments.emplace_back(kind == FileDialogKind::Open   ? "--getopenfilename"
                         : kind == FileDialogKind::Save ? "--getsavefilename"
                                                        : "--getexistingdirectory");
  // The start is a plain argument: it must not read as an option.
  std::string start = StartPath(kind, startFolder, fileName);
  if (start.empty() || start[0] == '-') start = JoinPath(".", start);
  arguments.push_back(start);
  if (const std::string patterns = Patterns(extensions); kind != FileDialogKind::Folder && !patterns.empty())
    arguments.push_back(patterns);
  return arguments;
}

FileDialog StartFileDialog(FileDialogKind kind, const std::string& startFolder,
                           const std::vector<std::string>& extensions, const std::string& title,
                           const std::string& fileName) {
  FileDialog dialog;
  const char* order[] = {"zenity", "kdialog"};
  if (PrefersKdialog()) std::swap(order[0], order[1]);
  for (const char* name : order) {
    const std::string program = FindProgram(name);
    if (program.empty()) continue;
    const bool zenity = std::strcmp(name, "zenity") == 0;
    const std::vector<std::string> arguments =
        zenity ? ZenityArguments(kind, startFolder, extensions, title, fileName)
               : KdialogArguments(kind, startFolder, extensions, title, fileName);
    auto running = std::make_shared<FileDialog::Running>();
    if (running->child.Start(program, arguments)) {
      dialog.mRunning = std::move(running);
      dialog.mResult.state = FileDialogResult::State::Pending;
    }
    break;
  }
  return dialog;
}

FileDialogResult FileDialog::Poll() {
  if (!mRunning) return mResult;
  std::string& output = mRunning->output;
  if (mResult.state != FileDialogResult::State::Pending) {
    mRunning->child.ReadAvailable(output, 0);  // reaps a child that ended after its output did
    return mResult;
  }
  switch (mRunning->child.ReadAvailable(output, kMaxAnswerBytes)) {
    case OutputChild::Progress::Running:
      break;
    case OutputChild::Progress::StartFailed:
      mResult.state = FileDialogResult::State::Unavailable;
      break;
    case OutputChild::Progress::Ended:
      // Both programs print the choice and a line end; a cancelled dialog
      // prints nothing.
      if (!output.empty() && output.back() == '\n') output.pop_back();
      if (output.empty() || output.size() > kMaxAnswerBytes) {
        mResult.state = FileDialogResult::State::Cancelled;
      } else {
        mResult.state = FileDialogResult::State::Chosen;
        mResult.path = output;
      }
      output.clear();
      break;
  }
  return mResult;
}

}  // namespace platform
