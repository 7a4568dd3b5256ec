#pragma once
// The library's exports: the seven custom actions, in the order a package
// runs them, and the embedded UI handler's three. This is the one list of
// their names. The exports and the tests take them from here; the build
// writes the .def file and the package's WiX include files from it
// (custom_action_names.cmake reads the X(...) lines, so keep one a line).
//
//   X(name, place, embedded)
//     place     start: immediate, after CostFinalize, in this order;
//               success, cancel, failure: at that end of the execute
//               sequence, where it ends the session and flushes.
//     embedded  yes when a package whose embedded UI is this library still
//               sequences it: the handler starts and ends the session itself.
#define PLUMETA_CUSTOM_ACTIONS(X)          \
  X(OnAnalyticsToggle, start, yes)         \
  X(OnAnalyticsLogStart, start, no)        \
  X(OnAnalyticsLogMachineInfo, start, yes) \
  X(OnAnalyticsLogInstallData, start, yes) \
  X(OnAnalyticsLogFinish, success, no)     \
  X(OnAnalyticsLogUserAbort, cancel, no)   \
  X(OnAnalyticsLogFatalError, failure, no)

// Written by hand in exports_win.cpp (their signatures differ); a name
// missing there fails the link against the generated .def file.
#define PLUMETA_EMBEDDED_UI_EXPORTS(Y) \
  Y(InitializeEmbeddedUI)              \
  Y(EmbeddedUIHandler)                 \
  Y(ShutdownEmbeddedUI)

#include <string_view>

namespace plumeta {

// The names as the installer's log shows them (action_names::OnAnalyticsToggle)
// and as GetProcAddress takes them (export_names::OnAnalyticsToggle).
#define PLUMETA_UTF16_NAME(name, ...) inline constexpr std::u16string_view name = u"" #name;
#define PLUMETA_NARROW_NAME(name, ...) inline constexpr const char name[] = #name;
namespace action_names {
PLUMETA_CUSTOM_ACTIONS(PLUMETA_UTF16_NAME)
PLUMETA_EMBEDDED_UI_EXPORTS(PLUMETA_UTF16_NAME)
}  // namespace action_names
namespace export_names {
PLUMETA_CUSTOM_ACTIONS(PLUMETA_NARROW_NAME)
PLUMETA_EMBEDDED_UI_EXPORTS(PLUMETA_NARROW_NAME)
}  // namespace export_names
#undef PLUMETA_UTF16_NAME
#undef PLUMETA_NARROW_NAME

}  // namespace plumeta
