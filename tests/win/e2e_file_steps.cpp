#include "e2e_file_steps.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "app/command_ids.h"
#include "e2e_checks.h"
#include "ui_driver.h"

namespace vorsant::e2e {
namespace {

using namespace vorsant::driver;

std::wstring RecentEntry(int n) {
  wchar_t value[1024] = {};
  DWORD bytes = sizeof value;
  std::wstring name = L"File" + std::to_wstring(n);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\QEL\\Vorsant\\Recent", name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value, &bytes) != ERROR_SUCCESS)
    return L"";
  return value;
}

std::wstring NamePart(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

HWND TrialNamed(HWND frame, const std::wstring& caption, int timeoutMs = 20000) {
  return WaitFor(
      [&]() -> HWND {
        HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
        for (HWND w = FindWindowExW(client, nullptr, L"VorsantTrialWindow", nullptr); w;
             w = FindWindowExW(client, w, L"VorsantTrialWindow", nullptr))
          if (Text(w) == caption) return w;
        return nullptr;
      },
      timeoutMs);
}

// A point of the frame's work area that no other window covers, where a user
// would let go of dragged files.
POINT VisiblePointOf(HWND frame) {
  RECT r{};
  GetWindowRect(FindWindowExW(frame, nullptr, L"MDIClient", nullptr), &r);
  for (int y = r.bottom - 10; y > r.top; y -= 20)
    for (int x = r.right - 10; x > r.left; x -= 20) {
      POINT p{x, y};
      if (GetAncestor(WindowFromPoint(p), GA_ROOT) == frame) return p;
    }
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Asks the script to drop `files` on the frame's work area and waits for the
// drop to be done.
bool DropOnFrame(HWND frame, const std::wstring& name, const std::vector<std::wstring>& files) {
  POINT p = VisiblePointOf(frame);
  std::wstring request = artifacts + L"\\" + name + L".drop";
  {
    std::ofstream out(std::filesystem::path(request + L".part"), std::ios::binary);
    out << p.x << " " << p.y << "\n";
    for (const std::wstring& f : files) out << Utf8(f) << "\n";
  }
  MoveFileW((request + L".part").c_str(), request.c_str());
  std::wstring done = artifacts + L"\\" + name + L".dropped";
  for (int i = 0; i < 300; ++i) {
    if (GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES) {
      std::ifstream in{std::filesystem::path(done)};
      int rc = 1;
      in >> rc;
      return rc == 0;
    }
    Sleep(100);
  }
  return false;
}

void AnswerMessage(const std::wstring& starting, const std::string& what) {
  HWND box = Dialog(L"Information");
  Check(box != nullptr && StaticTexts(box).rfind(starting, 0) == 0, what);
  if (!box) return;
  Press(box, IDOK);
  WaitGone(box);
}

}  // namespace

void RecentAndDroppedTrials(HWND frame, const std::wstring& trialPath, const std::wstring& samplePath) {
  Check(RecentEntry(1) == samplePath && RecentEntry(2) == trialPath,
        "the recent list names the trials last opened, newest first");

  std::wstring sampleName = NamePart(samplePath);
  HWND sample = TrialNamed(frame, sampleName);
  Command(frame, kCmdFileClose);
  Check(sample && WaitGone(sample), "the sample trial is closed");
  Command(frame, kCmdRecentTrial1);
  Check(TrialNamed(frame, sampleName) != nullptr, "the first recent entry opens the sample trial again");

  // A copy, dropped on the frame, closed, then deleted: its entry goes.
  std::wstring gone = artifacts + L"\\gone.vrs";
  CopyFileW(samplePath.c_str(), gone.c_str(), FALSE);
  Check(DropOnFrame(frame, L"drop_one", {gone}), "a trial file is dropped on the frame");
  HWND goneWindow = TrialNamed(frame, L"gone.vrs");
  Check(goneWindow != nullptr, "the dropped trial opens in a window of its own");
  Check(RecentEntry(1) == gone, "the dropped trial heads the recent list");
  Shot(L"dropped");
  Command(frame, kCmdFileClose);
  WaitGone(goneWindow);
  DeleteFileW(gone.c_str());
  Command(frame, kCmdRecentTrial1);
  AnswerMessage(L"Can not locate file.",
                "a recent trial whose file is gone shows the Open command's message");
  Check(TrialNamed(frame, L"gone.vrs", 1000) == nullptr, "and opens no window");
  Check(RecentEntry(1) == samplePath, "the missing file leaves the recent list");

  // Two files at once, one already open: opened one by one, with Open's checks.
  std::wstring copy = artifacts + L"\\copy.vrs";
  CopyFileW(samplePath.c_str(), copy.c_str(), FALSE);
  Check(DropOnFrame(frame, L"drop_two", {copy, trialPath}), "two trial files are dropped at once");
  Check(TrialNamed(frame, L"copy.vrs") != nullptr, "the first dropped file opens");
  AnswerMessage(L"A file with that name is already open.",
                "the second, already open, is refused as Open refuses it");
}

}  // namespace vorsant::e2e
