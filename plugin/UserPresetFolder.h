// The user presets of the data folder, listed by a thread of our own so that
// a click on the preset menu never waits on the file system. The list is
// read again only when the folder changed (an entry added, removed or
// renamed), as its modification time tells. GUI thread, except the reading.
#pragma once

#include <string>
#include <vector>

#include "platform/FolderListing.h"
#include "plugin/BackgroundJob.h"
#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

// A user preset file: the preset's name (UTF-8, as the menu shows it) and
// the file's path.
struct UserPresetFile {
  std::string name;
  std::string path;
};

class UserPresetFolder {
 public:
  // Starts reading `folder` unless the list handed over last is still that
  // folder's current one, or a read is running.
  void Refresh(const std::string& folder, const PresetTreeIdentity& identity);
  // From Refresh until the list has been taken.
  bool Reading() const { return mJob.Busy(); }
  // Hands over a finished read's list once; false while there is none.
  // Never blocks.
  bool TakeList(std::vector<UserPresetFile>& files);

 private:
  struct Listing {
    platform::FolderStamp stamp;
    // The stamp shows the folder as it was listed; not when its time is so
    // recent that a later change may have left it unchanged.
    bool settled = false;
    std::vector<UserPresetFile> files;
  };

  BackgroundJob<Listing> mJob;
  std::string mReadingFolder;
  // The folder and stamp of the list handed over last, while it is current.
  std::string mFolder;
  platform::FolderStamp mStamp;
  bool mCurrent = false;
};

}  // namespace kalvo5
