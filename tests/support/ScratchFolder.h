// A private temporary folder that is removed with everything in it when its
// owner goes, so test programs leave nothing behind.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace testsupport {

class ScratchFolder {
 public:
  // A new folder under the system's temporary folder, named prefix-XXXXXX.
  explicit ScratchFolder(const std::string& prefix) {
    std::string templ = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(templ.data())) path_ = templ;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// One folder for the whole test program, removed when the program ends.
inline const std::string& ProgramScratchFolder(const std::string& prefix) {
  static const ScratchFolder folder(prefix);
  return folder.Path();
}

}  // namespace testsupport
