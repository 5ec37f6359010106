#include "plugin/UserPresetFolder.h"

#include <utility>

#include "plugin/PresetFolderScan.h"

namespace kalvo5 {

namespace {

// Longer than the coarsest modification-time step of the usual file
// systems (two seconds on FAT).
constexpr double kSettleSeconds = 2.5;

}  // namespace

void UserPresetFolder::Refresh(const std::string& folder, const PresetTreeIdentity& identity) {
  if (mJob.Busy()) return;
  platform::FolderStamp stamp;
  if (mCurrent && folder == mFolder && platform::StampFolder(folder, stamp) && stamp == mStamp) return;
  mReadingFolder = folder;
  mJob.Start([folder, identity](const std::atomic<bool>& cancel) {
    Listing listing;
    // Stamped before listing: a change made while the list is read moves
    // the stamp, and the next Refresh reads again.
    listing.settled = platform::StampFolder(folder, listing.stamp) &&
                      !platform::ChangedWithin(listing.stamp, kSettleSeconds);
    listing.files = ListUserPresetFiles(folder, identity, cancel);
    return listing;
  });
}

bool UserPresetFolder::TakeList(std::vector<UserPresetFile>& files) {
  Listing listing;
  if (!mJob.TakeResult(listing)) return false;
  mFolder = mReadingFolder;
  mStamp = listing.stamp;
  mCurrent = listing.settled;
  files = std::move(listing.files);
  return true;
}

}  // namespace kalvo5
