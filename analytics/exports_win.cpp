// The library's exports, called by the Windows Installer by name. Each one
// wraps the handles it is given and runs its work in InstallAnalytics. An
// installation must never fail because of analytics: every export returns
// success, and nothing thrown inside leaves it.

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <memory>

#include "analytics/install_analytics.h"
#include "analytics/msi_access_win.h"
#include "analytics/plumeta_config.h"
#include "analytics/system_probes.h"
#include "analytics/wininet_sender.h"

namespace plumeta {
namespace {

// The system services and the process-wide state, made on the first call
// and kept while the library stays loaded.
class Runtime {
 public:
  Runtime()
      : files_(MakeSystemFileSystem()),
        clock_(MakeSystemClock()),
        guids_(MakeSystemGuidSource()),
        machine_(MakeSystemMachineIdProbe()),
        display_(MakeSystemDisplayProbe()),
        analytics_(Platform{*files_, *clock_, *guids_, *machine_, *display_, RunsOn64BitWindows(),
                            &MakeWinInetSender, kDefaultEndpoint}) {}

  InstallAnalytics& analytics() { return analytics_; }

 private:
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<Clock> clock_;
  std::unique_ptr<GuidSource> guids_;
  std::unique_ptr<MachineIdProbe> machine_;
  std::unique_ptr<DisplayProbe> display_;
  InstallAnalytics analytics_;
};

InstallAnalytics& Analytics() {
  // Never destroyed: its destructor would run while the library is being
  // unloaded, under the loader lock, and close WinINet handles there, which
  // WinINet does not allow and which can hang the installer. No callback
  // refers into the library, so the handles simply go with the process.
  static Runtime* runtime = new Runtime();
  return runtime->analytics();
}

template <typename Work>
void Guarded(Work work) noexcept {
  try {
    work();
  } catch (...) {
    // Analytics never changes the outcome of an installation.
  }
}

UINT RunAction(MSIHANDLE install, void (InstallAnalytics::*action)(Installer&)) noexcept {
  Guarded([&] {
    MsiInstaller installer(install);
    (Analytics().*action)(installer);
  });
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace plumeta

using plumeta::InstallAnalytics;
using plumeta::RunAction;

extern "C" {

// Immediate, first in the execute sequence: stores whether the hits are sent.
UINT __stdcall OnAnalyticsToggle(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsToggle);
}

// Immediate, after the toggle: opens the installation's session.
UINT __stdcall OnAnalyticsLogStart(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogStart);
}

// Immediate, after the start: the machine's facts.
UINT __stdcall OnAnalyticsLogMachineInfo(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogMachineInfo);
}

// Immediate, after the machine data: install mode and chosen features.
UINT __stdcall OnAnalyticsLogInstallData(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogInstallData);
}

// At the end of the success sequence: ends the session and flushes.
UINT __stdcall OnAnalyticsLogFinish(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogFinish);
}

// At the end of the cancel sequence: ends the session and flushes.
UINT __stdcall OnAnalyticsLogUserAbort(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogUserAbort);
}

// At the end of the failure sequence: ends the session and flushes.
UINT __stdcall OnAnalyticsLogFatalError(MSIHANDLE install) {
  return RunAction(install, &InstallAnalytics::OnAnalyticsLogFatalError);
}

// Embedded UI start, before the installation. The UI level is left as the
// installer set it: the handler shows nothing.
UINT __stdcall InitializeEmbeddedUI(MSIHANDLE install, LPCWSTR /*resourcePath*/,
                                    LPDWORD /*internalUiLevel*/) {
  plumeta::Guarded([&] {
    plumeta::MsiInstaller installer(install);
    plumeta::Analytics().InitializeEmbeddedUI(installer);
  });
  return ERROR_SUCCESS;
}

// Every installer message; 0 leaves the message to the installer.
INT __stdcall EmbeddedUIHandler(UINT messageType, MSIHANDLE record) {
  plumeta::Guarded([&] {
    plumeta::MsiRecordView view(record);
    plumeta::Analytics().EmbeddedUIHandler(messageType, view);
  });
  return 0;
}

// Embedded UI end, after the installation: ends the session and flushes.
DWORD __stdcall ShutdownEmbeddedUI() {
  plumeta::Guarded([] { plumeta::Analytics().ShutdownEmbeddedUI(); });
  return 0;
}

}  // extern "C"
