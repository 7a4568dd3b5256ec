// The library's exports, called by the Windows Installer by name. Each one
// wraps the handles it is given and runs its work in InstallAnalytics. An
// installation must never fail because of analytics: every export returns
// success, and nothing thrown inside leaves it; what a custom action
// absorbs is written into the installer's log (guarded.h).

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <memory>

#include "analytics/custom_action_names.h"
#include "analytics/guarded.h"
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

std::uint32_t LastError() {
  return GetLastError();
}

UINT RunAction(MSIHANDLE install, std::u16string_view name,
               void (InstallAnalytics::*action)(Installer&)) noexcept {
  MsiInstaller installer(install);
  Guarded(&installer, name, LastError, [&] { (Analytics().*action)(installer); });
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace plumeta

using plumeta::InstallAnalytics;
using plumeta::RunAction;

extern "C" {

// The seven custom actions, one export each, named and scheduled as the
// table in custom_action_names.h says.
#define PLUMETA_EXPORT_ACTION(name, place, embedded)                                 \
  UINT __stdcall name(MSIHANDLE install) {                                           \
    return RunAction(install, plumeta::action_names::name, &InstallAnalytics::name); \
  }
PLUMETA_CUSTOM_ACTIONS(PLUMETA_EXPORT_ACTION)
#undef PLUMETA_EXPORT_ACTION

// Embedded UI start, before the installation. The UI level is left as the
// installer set it: the handler shows nothing.
UINT __stdcall InitializeEmbeddedUI(MSIHANDLE install, LPCWSTR /*resourcePath*/,
                                    LPDWORD /*internalUiLevel*/) {
  plumeta::MsiInstaller installer(install);
  plumeta::Guarded(&installer, plumeta::action_names::InitializeEmbeddedUI, plumeta::LastError,
                   [&] { plumeta::Analytics().InitializeEmbeddedUI(installer); });
  return ERROR_SUCCESS;
}

// Every installer message; 0 leaves the message to the installer. This
// export and the next have no installer session to log a failure to (a
// message sent from inside the handler would come back to it), so what
// they absorb stays silent.
INT __stdcall EmbeddedUIHandler(UINT messageType, MSIHANDLE record) {
  plumeta::Guarded(nullptr, plumeta::action_names::EmbeddedUIHandler, plumeta::LastError, [&] {
    plumeta::MsiRecordView view(record);
    plumeta::Analytics().EmbeddedUIHandler(messageType, view);
  });
  return 0;
}

// Embedded UI end, after the installation: ends the session and flushes.
DWORD __stdcall ShutdownEmbeddedUI() {
  plumeta::Guarded(nullptr, plumeta::action_names::ShutdownEmbeddedUI, plumeta::LastError,
                   [] { plumeta::Analytics().ShutdownEmbeddedUI(); });
  return 0;
}

}  // extern "C"
