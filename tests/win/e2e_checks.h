#pragma once
// What the steps of the end-to-end driver share: the tally of checks, the
// artifact folder and the screenshots.

#include <windows.h>

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
void WriteUtf8(const std::wstring& path, const std::wstring& text);
bool Contains(const std::wstring& text, const std::wstring& part);

}  // namespace vorsant::e2e
