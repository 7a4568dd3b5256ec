// Reads back the sizes of the real program's windows at the display scale
// the prefix is set to: the trial window's graph, a graph window's client
// area, the models picture and the data dialog's boxes must be their 96-DPI
// sizes times the scale, and the report text is kept for the script to compare between
// scales.
// Usage: dpi_e2e ARTIFACT_FOLDER DPI NAME (the program already running with
// a trial open). Writes NAME.memo2.txt and asks for screenshots NAME.png and
// NAME_graph.png. Its last line counts the checks.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/command_ids.h"
#include "app/resource_ids.h"
#include "e2e_checks.h"
#include "graphs/scale_graphs.h"
#include "graphs/trial_graph.h"
#include "ui_driver.h"

using namespace vorsant;
using namespace vorsant::driver;
using namespace vorsant::e2e;

namespace {

SIZE ClientSize(HWND wnd) {
  RECT r{};
  GetClientRect(wnd, &r);
  return {r.right, r.bottom};
}

SIZE WindowSize(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// A window reaches its size once the program has laid it out for its
// scale: the checks wait for that (bounded) and report the last size seen.
void CheckSize(const std::function<SIZE()>& size, int width, int height, int dpi, const std::string& what) {
  const int w = MulDiv(width, dpi, 96), h = MulDiv(height, dpi, 96);
  SIZE got{};
  WaitUntil(
      [&] {
        got = size();
        return got.cx == w && got.cy == h;
      },
      10000);
  Check(got.cx == w && got.cy == h, what + " is " + std::to_string(got.cx) + " x " + std::to_string(got.cy) +
                                        " (expected " + std::to_string(w) + " x " + std::to_string(h) + ")");
}

RECT WorkArea(HWND wnd) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

void CheckInsideWorkArea(HWND wnd, const std::string& what) {
  RECT r{};
  GetWindowRect(wnd, &r);
  const RECT work = WorkArea(wnd);
  Check(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom,
        what + " opens inside the work area (" + std::to_string(r.left) + "," + std::to_string(r.top) + " to " +
            std::to_string(r.right) + "," + std::to_string(r.bottom) + ")");
}

// A picture of the large graphs: its 96-DPI size times the scale where the
// screen has room for it and `besides` (at 96 DPI), else smaller in the same
// proportions.
void CheckPicture(const std::function<SIZE()>& size, HWND window, int dpi, int besides, const std::string& what) {
  const int w = MulDiv(kScaleGraphWidth, dpi, 96), h = MulDiv(kScaleGraphHeight, dpi, 96);
  const RECT work = WorkArea(window);
  if (w < work.right - work.left && h < work.bottom - work.top - MulDiv(besides, dpi, 96)) {
    CheckSize(size, kScaleGraphWidth, kScaleGraphHeight, dpi, what);
    return;
  }
  SIZE got{};
  const auto fits = [&] {
    got = size();
    return got.cx <= w && got.cy <= h && got.cx >= w / 2 &&
           std::abs(got.cx * kScaleGraphHeight - got.cy * kScaleGraphWidth) <= kScaleGraphWidth;
  };
  const bool fitted = WaitUntil(fits, 10000);  // before the message reads `got`
  Check(fitted,
        what + " fits the screen in its proportions (" + std::to_string(got.cx) + " x " +
            std::to_string(got.cy) + ")");
}

// Every line of the models table is in view below the verdict, the
// last one too.
void CheckTableInView(HWND table) {
  const auto top = [&](LRESULT line) {
    return static_cast<short>(HIWORD(SendMessageW(table, EM_POSFROMCHAR, SendMessageW(table, EM_LINEINDEX, line, 0), 0)));
  };
  WaitUntil([&] { return SendMessageW(table, EM_GETLINECOUNT, 0, 0) > 5; });
  const LRESULT count = SendMessageW(table, EM_GETLINECOUNT, 0, 0);
  RECT view{};
  SendMessageW(table, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&view));
  const int bottom = count > 1 ? top(count - 1) + top(1) - top(0) : 0;
  Check(count > 5 && SendMessageW(table, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 && bottom <= view.bottom,
        "every line of the models table is in view (" + std::to_string(count) + " lines, the last ending at " +
            std::to_string(bottom) + ", the box at " + std::to_string(view.bottom) + ")");
}

int Run(int dpi, const std::wstring& name) {
  HWND frame = WaitForFrame();
  Check(frame != nullptr, "the frame window appears");
  if (!frame) return 1;
  HWND trial = WaitFor([&] { return Descendant(frame, L"VorsantTrialWindow"); });
  Check(trial != nullptr, "the trial window opens");
  if (!trial) return 1;
  // At a large scale the window is laid out and filled a while after it
  // appears.
  Check(WaitFor([&]() -> HWND {
          return ClientSize(GetDlgItem(trial, IDC_GRAPH)).cx > 0 && !Text(GetDlgItem(trial, IDC_MEMO2)).empty()
                     ? trial
                     : nullptr;
        }) != nullptr,
        "the trial window is filled");
  CheckSize([&] { return ClientSize(GetDlgItem(trial, IDC_GRAPH)); }, kTrialGraphWidth, kTrialGraphHeight, dpi,
            "the trial window's graph");
  WriteUtf8(artifacts + L"\\" + name + L".memo2.txt", Text(GetDlgItem(trial, IDC_MEMO2)));
  Shot(name.c_str());

  Command(frame, kCmdLaboratoryGraph);
  HWND graph = WaitFor([] { return TopLevel(L"VorsantGraphWindow", L"Lab Scale Graph"); });
  Check(graph != nullptr, "the laboratory graph window opens");
  if (graph) {
    CheckPicture([&] { return ClientSize(graph); }, graph, dpi, 50, "the graph window's client area");
    CheckInsideWorkArea(graph, "the laboratory graph window");
    Shot((name + L"_graph").c_str());
    PostMessageW(graph, WM_KEYDOWN, VK_ESCAPE, 1);
    Check(WaitGone(graph, 10000), "Escape closes the laboratory graph window");
    PostMessageW(graph, WM_CLOSE, 0, 0);
    WaitGone(graph);
  }

  Command(frame, kCmdFoulingModels);
  HWND models = WaitFor([] { return TopLevel(nullptr, L"Fouling Models"); });
  Check(models != nullptr, "the Fouling Models window opens");
  if (models) {
    CheckPicture([&] { return ClientSize(GetDlgItem(models, IDC_GRAPH_IMAGE)); }, models, dpi, 400, "the models picture");
    CheckInsideWorkArea(models, "the Fouling Models window");
    CheckTableInView(GetDlgItem(models, IDC_MODEL_TABLE));
    Shot((name + L"_models").c_str());
    PostMessageW(models, WM_CLOSE, 0, 0);
    WaitGone(models);
  }

  Command(frame, kCmdEditData);
  HWND data = Dialog(L"Filtration Data");
  Check(data != nullptr, "the data dialog opens");
  if (data) {
    CheckSize([&] { return WindowSize(GetDlgItem(data, IDC_DATA_V1)); }, 52, 19, dpi, "a volume box of the data dialog");
    CheckSize([&] { return WindowSize(GetDlgItem(data, IDC_DATA_MIN1)); }, 34, 19, dpi, "a minutes box of the data dialog");
    Shot((name + L"_data").c_str());
    Press(data, IDCANCEL);
    WaitGone(data);
  }
  Command(frame, kCmdExit);
  Check(WaitGone(frame), "Exit closes the program");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  return DriverMain(argc, argv, 4, "dpi_e2e ARTIFACT_FOLDER DPI NAME", "e2e-dpi",
                    [](wchar_t** args) { return Run(_wtoi(args[2]), args[3]); });
}
