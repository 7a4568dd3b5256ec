#pragma once
// What the steps of the end-to-end driver share: the tally of checks, the
// artifact folder and the screenshots.

#include <windows.h>

#include <functional>
#include <string>

namespace vorsant::e2e {

extern std::wstring artifacts;

// Prints "ok: WHAT" or "FAILED: WHAT" and counts it.
void Check(bool ok, const std::string& what);
int Passes();
int Failures();

// A screenshot of the whole screen as NAME.png in the artifact folder.
void Shot(const wchar_t* name);
// A visible dialog (class #32770) with this caption.
HWND Dialog(const std::wstring& caption, int timeoutMs = 20000);
// A driver's whole run: with fewer than `argCount` arguments prints `usage`
// and gives 2; else takes the artifact folder from the first argument, runs
// `run` on all of them and prints "TAG: N passed, M failed". Gives 0 only if
// `run` gave 0 and every check passed.
int DriverMain(int argc, wchar_t** argv, int argCount, const char* usage, const char* tag,
               const std::function<int(wchar_t** argv)>& run);
void WriteUtf8(const std::wstring& path, const std::wstring& text);
bool Contains(const std::wstring& text, const std::wstring& part);

}  // namespace vorsant::e2e
