// Plays the installer's part for plumeta's embedded user-interface handler
// in an installation the user cancels: opens the package as an installer
// session with sending on, loads the library as the installer does, starts
// the handler, shows two dialogs and ends with the install-end result "2"
// (cancelled by the user). The handler then posts its hits to the endpoint.
// Run by scripts/e2e/collector_msi.sh.
//
// usage: plumeta_embedded_cancel.exe PACKAGE.msi PLUMETA.dll ENDPOINT
// Exit code 0 when every step ran and every export answered 0.

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

using Toggle = UINT(__stdcall*)(MSIHANDLE);
using Initialize = UINT(__stdcall*)(MSIHANDLE, LPCWSTR, LPDWORD);
using Handler = INT(__stdcall*)(UINT, MSIHANDLE);
using Shutdown = DWORD(__stdcall*)();

class Handle {
 public:
  explicit Handle(MSIHANDLE handle = 0) : handle_(handle) {}
  ~Handle() {
    if (handle_ != 0) MsiCloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  MSIHANDLE* put() { return &handle_; }
  MSIHANDLE get() const { return handle_; }

 private:
  MSIHANDLE handle_;
};

class Module {
 public:
  explicit Module(const wchar_t* path) : module_(LoadLibraryW(path)) {}
  ~Module() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  template <typename F>
  F Get(const char* name) const {
    return module_ ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)))
                   : nullptr;
  }

 private:
  HMODULE module_;
};

int Fail(const char* what) {
  std::fprintf(stderr, "embedded_cancel: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return Fail("usage: plumeta_embedded_cancel.exe PACKAGE.msi PLUMETA.dll ENDPOINT");
  MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  Handle session;
  if (MsiOpenPackageW(argv[1], session.put()) != ERROR_SUCCESS) return Fail("the package does not open");
  MsiSetPropertyW(session.get(), L"OX_TR_ENABLE", L"1");
  MsiSetPropertyW(session.get(), L"OX_TR_ENDPOINT", argv[3]);

  Module plumeta(argv[2]);
  auto toggle = plumeta.Get<Toggle>("OnAnalyticsToggle");
  auto initialize = plumeta.Get<Initialize>("InitializeEmbeddedUI");
  auto handler = plumeta.Get<Handler>("EmbeddedUIHandler");
  auto shutdown = plumeta.Get<Shutdown>("ShutdownEmbeddedUI");
  if (!toggle || !initialize || !handler || !shutdown)
    return Fail("the library or one of its exports is missing");

  int failures = 0;
  failures += toggle(session.get()) != 0;
  DWORD level = INSTALLUILEVEL_FULL;
  failures += initialize(session.get(), L"", &level) != 0;
  // Field 0 is the text the installer formats; the others are data.
  auto message = [&](UINT type, const std::map<unsigned, const wchar_t*>& fields) {
    Handle record(MsiCreateRecord(3));
    for (const auto& [index, text] : fields) MsiRecordSetStringW(record.get(), index, text);
    failures += handler(type, record.get()) != 0;
  };
  message(INSTALLMESSAGE_ACTIONSTART, {{0, L"Action: [1]"}, {1, L"WelcomeDlg"}, {2, L"Dialog created"}});
  message(INSTALLMESSAGE_ACTIONSTART,
          {{0, L"Action: [1]"}, {1, L"LicenseAgreementDlg"}, {2, L"Dialog created"}});
  message(INSTALLMESSAGE_INSTALLEND, {{1, L"Vorsant"}, {3, L"2"}});
  failures += shutdown() != 0;
  if (failures != 0) return Fail("an export did not answer 0");
  return 0;
}
