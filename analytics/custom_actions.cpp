// The seven custom actions. A package schedules the toggle first, then the
// start, machine data and installation data, and one of the three ending
// actions at the end of its success, cancel and failure sequences.

#include "analytics/custom_action_names.h"
#include "analytics/install_analytics.h"
#include "analytics/install_mode.h"
#include "analytics/numbers.h"

namespace plumeta {

void InstallAnalytics::OnAnalyticsToggle(Installer& installer) {
  PrepareTracking(installer);
  bool on = ParsePropertyInt(installer.Property(u"OX_TR_ENABLE")) == 1;
  store_.WriteGeneral(u"Active", on ? u"true" : u"false");
  LogOutcome(installer, action_names::OnAnalyticsToggle);
}

void InstallAnalytics::OnAnalyticsLogStart(Installer& installer) {
  PrepareTracking(installer);
  TrackLifecycle(u"start", u"");
  LogOutcome(installer, action_names::OnAnalyticsLogStart);
}

void InstallAnalytics::OnAnalyticsLogMachineInfo(Installer& installer) {
  PrepareTracking(installer);
  for (Param& item : MachineInfoProperties(installer, platform_.display)) {
    TrackProperty(std::move(item.name), std::move(item.value));
  }
  LogOutcome(installer, action_names::OnAnalyticsLogMachineInfo);
}

void InstallAnalytics::OnAnalyticsLogInstallData(Installer& installer) {
  PrepareTracking(installer);
  std::u16string mode = DetectInstallMode(installer);
  // Tracked even when empty: the request then simply carries no value.
  Track([&] { return std::make_unique<InstallTypeHit>(Stamp(), mode); });
  LogPropertyList(installer, kInstallProperties);
  if (mode == u"install") LogPropertyList(installer, kPrerequisiteProperties);
  LogOutcome(installer, action_names::OnAnalyticsLogInstallData);
}

void InstallAnalytics::EndInstallation(Installer& installer, std::u16string_view status,
                                       std::u16string_view action) {
  PrepareTracking(installer);
  TrackLifecycle(u"end", status);
  store_.FlushQueue();
  LogOutcome(installer, action);
}

void InstallAnalytics::OnAnalyticsLogFinish(Installer& installer) {
  EndInstallation(installer, u"success", action_names::OnAnalyticsLogFinish);
}

void InstallAnalytics::OnAnalyticsLogUserAbort(Installer& installer) {
  EndInstallation(installer, u"user abort", action_names::OnAnalyticsLogUserAbort);
}

void InstallAnalytics::OnAnalyticsLogFatalError(Installer& installer) {
  EndInstallation(installer, u"fatal error", action_names::OnAnalyticsLogFatalError);
}

}  // namespace plumeta
