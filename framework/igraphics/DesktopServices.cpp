#include "DesktopServices.h"

#include <list>
#include <memory>
#include <utility>

#include "platform/FileDialog.h"
#include "platform/NetworkState.h"
#include "platform/SystemOpener.h"

namespace igraphics {
namespace {

using Done = std::function<void(const std::string& chosen)>;

// "vrs", "vrs txt", "*.vrs;*.txt" -> {"vrs", "txt"}.
std::vector<std::string> ExtensionList(const std::string& extensions) {
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start < extensions.size()) {
    std::size_t end = extensions.find_first_of(" ,;", start);
    if (end == std::string::npos) end = extensions.size();
    std::string extension = extensions.substr(start, end - start);
    extension.erase(0, extension.find_first_not_of("*."));
    if (!extension.empty()) list.push_back(std::move(extension));
    start = end + 1;
  }
  return list;
}

// The prompts one window has open. GUI thread only.
class OpenDialogs {
 public:
  // False when no dialog program could be started: the caller asks in
  // another way and `done` is not kept.
  bool Start(platform::FileDialogKind kind, const std::string& folder, const std::string& fileName,
             const std::string& extensions, const std::string& title, Done done) {
    platform::FileDialog dialog =
        platform::StartFileDialog(kind, folder, ExtensionList(extensions), title, fileName);
    if (dialog.Poll().state == platform::FileDialogResult::State::Unavailable) return false;
    mOpen.push_back({std::move(dialog), std::move(done)});
    return true;
  }

  // Tells the callers of the dialogs that have closed: the chosen path, or
  // "" when cancelled (also when the program could not run after all).
  void Poll() {
    std::list<std::pair<Done, std::string>> finished;
    for (auto it = mOpen.begin(); it != mOpen.end();) {
      const platform::FileDialogResult result = it->dialog.Poll();
      if (result.state == platform::FileDialogResult::State::Pending) {
        ++it;
        continue;
      }
      const bool chosen = result.state == platform::FileDialogResult::State::Chosen;
      finished.emplace_back(std::move(it->done), chosen ? result.path : std::string());
      it = mOpen.erase(it);
    }
    // Out of the list before anyone hears: a caller may open the next prompt.
    for (auto& [done, path] : finished)
      if (done) done(path);
  }

 private:
  struct Prompt {
    platform::FileDialog dialog;
    Done done;
  };
  std::list<Prompt> mOpen;
};

}  // namespace

PlatformServices DesktopServices() {
  const auto dialogs = std::make_shared<OpenDialogs>();
  PlatformServices services;
  services.openAddress = [](const std::string& address) { return platform::OpenWithSystem(address); };
  services.internetConnected = [] { return platform::InternetConnected(); };
  services.revealPath = [](const std::string& path, bool) { return platform::RevealInFileManager(path); };
  services.promptForFile = [dialogs](const std::string& path, const std::string& folder, FileAction action,
                                     const std::string& extensions, Done done) {
    const bool save = action == FileAction::Save;
    return dialogs->Start(save ? platform::FileDialogKind::Save : platform::FileDialogKind::Open, folder,
                          path, extensions, save ? "Save file" : "Open file", std::move(done));
  };
  services.promptForDirectory = [dialogs](const std::string& folder, Done done) {
    return dialogs->Start(platform::FileDialogKind::Folder, folder, {}, {}, "Choose a Directory",
                          std::move(done));
  };
  services.poll = [dialogs] { dialogs->Poll(); };
  return services;
}

}  // namespace igraphics
