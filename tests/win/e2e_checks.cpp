#include "e2e_checks.h"

#include <cstdio>

#include "ui_driver.h"

namespace vorsant::e2e {

std::wstring artifacts;

namespace {
int failures = 0;
int passes = 0;
}  // namespace

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
  std::fflush(stdout);
  ++(ok ? passes : failures);
}

int Passes() {
  return passes;
}
int Failures() {
  return failures;
}

// Asks the script that runs us for a screenshot: it watches the artifact
// folder for NAME.shot, captures the X screen into NAME.png and removes the
// request. Without a watcher the screen is captured here instead (without
// the window frames that the X side draws).
void Shot(const wchar_t* name) {
  driver::WaitPainted();  // the last change on the screen
  std::wstring request = artifacts + L"\\" + name + L".shot";
  FILE* f = _wfopen(request.c_str(), L"wb");
  if (f) fclose(f);
  for (int waited = 0; f && waited < 15000; waited += 100) {
    if (GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Check(true, "screenshot " + driver::Utf8(name));
      return;
    }
    Sleep(100);
  }
  DeleteFileW(request.c_str());
  Check(driver::SaveScreen(artifacts + L"\\" + name + L".bmp"),
        "screenshot " + driver::Utf8(name) + " (taken by the driver)");
}

HWND Dialog(const std::wstring& caption, int timeoutMs) {
  return driver::WaitFor([&] { return driver::TopLevel(L"#32770", caption); }, timeoutMs);
}

void WriteUtf8(const std::wstring& path, const std::wstring& text) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return;
  std::string bytes = driver::Utf8(text);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

int DriverMain(int argc, wchar_t** argv, int argCount, const char* usage, const char* tag,
               const std::function<int(wchar_t** argv)>& run) {
  if (argc < argCount) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 2;
  }
  artifacts = argv[1];
  const int rc = run(argv);
  std::printf("%s: %d passed, %d failed\n", tag, Passes(), Failures());
  return rc != 0 || Failures() != 0 ? 1 : 0;
}

}  // namespace vorsant::e2e
