#pragma once
// The library's process-wide state and the work of its exports: the seven
// custom actions and the embedded user-interface handler. The exports only
// wrap the installer handles and call in here, so everything below runs the
// same against the real installer and against the tests' scripted one.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analytics/file_system.h"
#include "analytics/hit.h"
#include "analytics/installer.h"
#include "analytics/machine_data.h"
#include "analytics/machine_id.h"
#include "analytics/os_version.h"
#include "analytics/session_store.h"
#include "analytics/system_services.h"
#include "analytics/tracker.h"

namespace plumeta {

// The system as the library sees it. Everything must outlive the
// InstallAnalytics made from it.
struct Platform {
  FileSystem& files;
  Clock& clock;
  GuidSource& guids;
  MachineIdProbe& machine;
  DisplayProbe& display;
  // Whether the library runs on a 64-bit Windows: the 64-bit library
  // always, the 32-bit one under 32-bit emulation.
  bool windows64 = false;
  // Opens the internet session for the User-Agent; null when it cannot.
  std::function<std::unique_ptr<FormSender>(const std::u16string& userAgent)> makeSender;
  // The endpoint used when the package sets none.
  std::u16string defaultEndpoint;
};

// Installer message kinds, the top 8 bits of a message type.
inline constexpr std::uint32_t kMessageKindMask = 0xFF000000u;
inline constexpr std::uint32_t kMessageError = 0x01000000u;
inline constexpr std::uint32_t kMessageWarning = 0x02000000u;
inline constexpr std::uint32_t kMessageInfo = 0x04000000u;
inline constexpr std::uint32_t kMessageActionStart = 0x08000000u;
inline constexpr std::uint32_t kMessageInstallEnd = 0x1B000000u;

// What the embedded handler keeps between messages.
struct EmbeddedUiValues {
  std::u16string installEnd;     // "1" success, "2" cancelled, "3" failed
  std::u16string currentAction;  // the action the installer announced last
  std::u16string lastError;      // the text of the last error message
  bool fatalReported = false;
};

class InstallAnalytics {
 public:
  explicit InstallAnalytics(Platform platform);

  // The common first step of every custom action and of the embedded
  // handler's start: OS version, product, tracker and session.
  void PrepareTracking(Installer& installer);

  // The seven custom actions, named as they are exported. The exports are
  // made from the table in custom_action_names.h, each calling the member
  // of its name, so a member missing here fails the build.
  void OnAnalyticsToggle(Installer& installer);
  void OnAnalyticsLogStart(Installer& installer);
  void OnAnalyticsLogMachineInfo(Installer& installer);
  void OnAnalyticsLogInstallData(Installer& installer);
  void OnAnalyticsLogFinish(Installer& installer);
  void OnAnalyticsLogUserAbort(Installer& installer);
  void OnAnalyticsLogFatalError(Installer& installer);

  void InitializeEmbeddedUI(Installer& installer);
  void EmbeddedUIHandler(std::uint32_t messageType, InstallerRecord& record);
  void ShutdownEmbeddedUI();

  // Writes one line into the installer's log saying what the export
  // `action` did (hits stored, the flush's counts) or why it did nothing.
  void LogOutcome(Installer& installer, std::u16string_view action) noexcept;

  // Tracks a property hit for each named property that is not empty.
  void LogPropertyList(Installer& installer, std::span<const std::u16string_view> names);

  // Null until the first PrepareTracking.
  const Tracker* tracker() const { return tracker_.get(); }
  const OsVersionInfo& activeVersion() const { return activeVersion_; }
  const EmbeddedUiValues& embeddedUi() const { return ui_; }
  SessionStore& store() { return store_; }

 private:
  HitStamp Stamp();
  // Makes the hit and hands it to the store. Whatever fails on the way
  // loses this hit only; `make` may return null for no hit.
  void Track(const std::function<std::unique_ptr<Hit>()>& make);
  void TrackProperty(std::u16string label, std::u16string value);
  void TrackLifecycle(std::u16string_view control, std::u16string_view status);
  void TrackException(std::u16string details, bool fatal);
  void EndInstallation(Installer& installer, std::u16string_view status, std::u16string_view action);
  void OnInfoMessage(InstallerRecord& record);

  Platform platform_;
  std::optional<OsVersionInfo> propertyVersion_;
  OsVersionInfo activeVersion_;
  std::unique_ptr<Tracker> tracker_;
  SessionStore store_;
  EmbeddedUiValues ui_;
};

}  // namespace plumeta
