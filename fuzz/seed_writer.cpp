// Writes the files our analytics code leaves in its storage folder when an
// installation is interrupted before its flush: "tracking.ini" and a session
// file with a hit of every kind. make_corpus.sh takes them as seeds.
//   fuzz_seed_writer          (the files land under $TMPDIR/OrvexAnalytics)

#include <string_view>

#include "analytics/install_analytics.h"
#include "plumeta_support.h"

using namespace plumeta;

namespace {

void Message(InstallAnalytics& analytics, std::uint32_t kind, std::string_view bytes) {
  fuzz::Record record(bytes);
  analytics.EmbeddedUIHandler(kind, record);
}

}  // namespace

int main() {
  fuzz::Storage storage;
  fuzz::Machine machine;
  int posts = 0;
  InstallAnalytics analytics(machine.MakePlatform(storage, posts));
  fuzz::Installation installer;
  analytics.OnAnalyticsToggle(installer);
  analytics.InitializeEmbeddedUI(installer);
  analytics.OnAnalyticsLogStart(installer);
  analytics.OnAnalyticsLogMachineInfo(installer);
  analytics.OnAnalyticsLogInstallData(installer);
  Message(analytics, kMessageActionStart,
          "Action 12:00:01: WelcomeDlg.\x01WelcomeDlg\x01"
          "Dialog created");
  Message(analytics, kMessageWarning, "Warning 1910. Could not remove shortcut vorsant.lnk.");
  Message(analytics, kMessageError,
          "Error 1310. Error writing to file: C:\\Program Files\\Vorsant\\vorsant.exe");
  Message(analytics, kMessageInfo,
          "Action ended 12:00:05: InstallFiles. Return value 3.\x01InstallFiles\x01"
          "3");
  return posts == 0 ? 0 : 1;
}
