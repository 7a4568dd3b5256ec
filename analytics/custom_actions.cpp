// The seven custom actions. A package schedules the toggle first, then the
// start, machine data and installation data, and one of the three ending
// actions at the end of its success, cancel and failure sequences.

#include "analytics/install_analytics.h"
#include "analytics/install_mode.h"
#include "analytics/numbers.h"

namespace plumeta {

void InstallAnalytics::OnAnalyticsToggle(Installer& installer) {
  PrepareTracking(installer);
  bool on = ParsePropertyInt(installer.Property(u"OX_TR_ENABLE")) == 1;
  store_.WriteGeneral(u"Active", on ? u"true" : u"false");
}

void InstallAnalytics::OnAnalyticsLogStart(Installer& installer) {
  PrepareTracking(installer);
  TrackLifecycle(u"start", u"");
}

void InstallAnalytics::OnAnalyticsLogMachineInfo(Installer& installer) {
  PrepareTracking(installer);
  for (Param& item : MachineInfoProperties(installer, platform_.display)) {
    TrackProperty(std::move(item.name), std::move(item.value));
  }
}

void InstallAnalytics::OnAnalyticsLogInstallData(Installer& installer) {
  PrepareTracking(installer);
  std::u16string mode = DetectInstallMode(installer);
  // Tracked even when empty: the request then simply carries no value.
  Track([&] { return std::make_unique<InstallTypeHit>(Stamp(), mode); });
  LogPropertyList(installer, kInstallProperties);
  if (mode == u"install") LogPropertyList(installer, kPrerequisiteProperties);
}

void InstallAnalytics::EndInstallation(Installer& installer, std::u16string_view status) {
  PrepareTracking(installer);
  TrackLifecycle(u"end", status);
  store_.FlushQueue();
}

void InstallAnalytics::OnAnalyticsLogFinish(Installer& installer) {
  EndInstallation(installer, u"success");
}

void InstallAnalytics::OnAnalyticsLogUserAbort(Installer& installer) {
  EndInstallation(installer, u"user abort");
}

void InstallAnalytics::OnAnalyticsLogFatalError(Installer& installer) {
  EndInstallation(installer, u"fatal error");
}

}  // namespace plumeta
