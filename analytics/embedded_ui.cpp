// The embedded user-interface handler: it shows nothing and handles no
// message, it only watches the stream for dialogs, warnings and failed
// actions, and brackets the installation with start and end hits.

#include "analytics/install_analytics.h"
#include "analytics/numbers.h"

namespace plumeta {
namespace {

constexpr std::int32_t kActionFailed = 3;

}  // namespace

void InstallAnalytics::InitializeEmbeddedUI(Installer& installer) {
  PrepareTracking(installer);
  TrackLifecycle(u"start", u"");
  LogOutcome(installer, u"InitializeEmbeddedUI");
}

void InstallAnalytics::EmbeddedUIHandler(std::uint32_t messageType, InstallerRecord& record) {
  switch (messageType & kMessageKindMask) {
    case kMessageError:
      ui_.lastError = record.FormattedText();
      break;
    case kMessageWarning:
      TrackException(record.FormattedText(), false);
      break;
    case kMessageInfo:
      OnInfoMessage(record);
      break;
    case kMessageActionStart: {
      std::u16string name = record.Field(1);
      // The screen view is tracked before the action name becomes the dialog's.
      if (record.Field(2) == u"Dialog created") {
        Track([&] { return std::make_unique<ScreenViewHit>(Stamp(), name); });
      }
      ui_.currentAction = std::move(name);
      break;
    }
    case kMessageInstallEnd:
      ui_.installEnd = record.Field(3);
      break;
    default:
      break;
  }
}

void InstallAnalytics::OnInfoMessage(InstallerRecord& record) {
  std::u16string text = record.FormattedText();
  if (!ui_.fatalReported && text.find(u"Action ended") != std::u16string::npos) {
    // Field 2 of an "Action ended" message is the action's return value.
    if (ParsePropertyInt(record.Field(2)) == kActionFailed) {
      TrackException(ui_.lastError, true);
      ui_.fatalReported = true;
    }
    return;
  }
  // The installer's report of a failed custom-action script.
  if (text.find(u"Info 1720") != std::u16string::npos) TrackException(u"", false);
}

void InstallAnalytics::ShutdownEmbeddedUI() {
  std::u16string_view status = u"user abort";
  if (ui_.installEnd == u"1") status = u"success";
  if (ui_.installEnd == u"3") status = u"fatal error";
  // Relies on InitializeEmbeddedUI having prepared the tracker.
  TrackLifecycle(u"end", status);
  store_.FlushQueue();
}

}  // namespace plumeta
