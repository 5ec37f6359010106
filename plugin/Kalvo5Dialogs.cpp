// The plug-in object's message boxes: the About box, the update checks'
// outcome, and a pending message.
#include "plugin/AboutInfo.h"
#include "plugin/Kalvo5.h"

namespace kalvo5 {

void Kalvo5::ShowAboutInfo() { ShowMessageBox(BuildAboutText(GatherAboutFacts(*this, *this)), "About"); }

void Kalvo5::RunIdleDialogs() {
  if (TakeRequest(IdleRequest::About)) ShowAboutInfo();
  if (const auto message = mUpdateChecks.Tick(mSettings.GetInt(kOnlineUpdateCheck) > 0,
                                              [this] { return TakeRequest(IdleRequest::UpdateCheck); }))
    ShowMessageBox(message->text, message->caption);
  if (const auto message = mPendingMessage.TakeMessage()) ShowMessageBox(message->text, message->caption);
}

}  // namespace kalvo5
