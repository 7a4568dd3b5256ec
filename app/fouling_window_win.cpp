#include "app/fouling_window_win.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <cwchar>
#include <string>
#include <vector>

#include "app/dialogs_win.h"
#include "app/dpi_win.h"
#include "app/resource_ids.h"
#include "app/table_graph_window_win.h"
#include "app/units_setting.h"
#include "fouling/verdict.h"
#include "graphs/fouling_graph.h"
#include "present/model_columns.h"
#include "present/verdict_text.h"
#include "trial/number_text.h"

namespace vorsant {
namespace {

constexpr int kBandHeight = 30;
// Posted when a box has been left, so its check runs after the focus has
// settled rather than inside the change of focus.
constexpr UINT kBoxLeft = WM_APP + 1;

struct SizingBox {
  int id;
  int labelId;
  const wchar_t* label;
  int boxWidth;
  const wchar_t* initial;
  std::optional<std::string> (*check)(double);  // none for the volume, read in the chosen unit
  // Said when the box holds no number at all.
  const char* notNumber;
};

constexpr std::size_t kTargetBox = 0;
constexpr std::array<SizingBox, 3> kBoxes{{
    {IDC_TARGET_VOLUME, IDC_TARGET_VOLUME_LABEL, L"Target volume (gal)", 70, L"", nullptr,
     "Target volume must be a number, greater than 0 gallons."},
    {IDC_SAFETY_FACTOR, IDC_SAFETY_FACTOR_LABEL, L"Safety factor", 44, L"1.5", CheckSafetyFactor,
     "Safety factor must be a number, at least 1."},
    {IDC_ELEMENT_AREA, IDC_ELEMENT_AREA_LABEL, L"Element area (m\u00b2)", 60, L"", CheckElementArea,
     "Element area must be a number, greater than 0 m\u00b2."},
}};

// The units choice, in the order of its list.
constexpr std::array<UnitSystem, 2> kUnitChoices{UnitSystem::kUs, UnitSystem::kMetric};
constexpr std::array<const wchar_t*, 2> kUnitNames{L"US", L"Metric"};
constexpr int kUnitsBoxWidth = 70;

std::wstring TargetLabel(UnitSystem units) {
  return units == UnitSystem::kUs ? L"Target volume (gal)" : L"Target volume (L)";
}

// What a box holds: nothing (the figure is not asked for; for the safety
// factor, the default), an accepted value, or the reason it is refused.
struct BoxValue {
  std::optional<double> value;
  std::optional<std::string> problem;
};

// Numbers are read with the point the window writes them with; the target
// volume in the chosen unit (in m3 once read).
BoxValue ReadBox(HWND box, const SizingBox& field, const Presentation& p) {
  const std::string text = WindowText(box);
  if (text.find_first_not_of(' ') == std::string::npos) return {};
  if (!field.check) {
    const std::optional<TypedVolume> volume = ParseVolume(text, p);
    if (!volume) {
      if (p.units == UnitSystem::kUs) return {std::nullopt, std::string(field.notNumber)};
      return {std::nullopt, "Target volume must be a number, greater than 0 litres."};
    }
    if (auto problem = CheckTargetVolume(*volume)) return {std::nullopt, problem};
    return {volume->M3(), std::nullopt};
  }
  const std::optional<double> parsed = ParseFigure(text, p.numbers);
  if (!parsed) return {std::nullopt, std::string(field.notNumber)};
  if (auto problem = field.check(*parsed)) return {std::nullopt, problem};
  return {*parsed, std::nullopt};
}

// The verdict above the models table, as vorsant-cli models prints them,
// each in a box of its own.
struct ShownText {
  std::vector<std::string> verdict, table;
};

ShownText Shown(const TWineRec& rec, const FoulingReport& report, const SizingRequest& request,
                const Presentation& p) {
  return {VerdictLines(MakeVerdict(rec, report), request, p), FoulingTableLines(report, p)};
}

class FoulingWindow final : public TableGraphWindow {
 public:
  FoulingWindow(const TWineRec& rec, const FoulingReport& report, const Presentation& p)
      : rec_(rec), report_(report), p_(p) {}

  void Fill() {
    ShowText(Shown(rec_, report_, {}, p_));
    DrawPicture([this](Canvas& canvas) { DrawFoulingGraph(canvas, rec_, report_); });
    ready_ = true;
  }

 protected:
  const wchar_t* Caption() const override { return L"Fouling Models"; }
  int BandHeight() const override { return kBandHeight; }

  void CreateBand(HWND wnd, HFONT font) override {
    wnd_ = wnd;
    WindowDc dc(wnd);
    SelectGuard select(dc.Get(), font);
    const DpiScale px(wnd);
    int x = px(6);
    const auto extent = [&](const std::wstring& text) {
      SIZE size{};
      GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
      return size.cx;
    };
    for (std::size_t i = 0; i < kBoxes.size(); ++i) {
      const SizingBox& field = kBoxes[i];
      // The volume's label names the chosen unit and has room for either.
      const std::wstring shown = i == kTargetBox ? TargetLabel(p_.units) : std::wstring(field.label);
      SIZE text{};
      text.cx = i == kTargetBox ? std::max(extent(TargetLabel(UnitSystem::kUs)), extent(TargetLabel(UnitSystem::kMetric)))
                                : extent(field.label);
      HWND label = CreateWindowExW(0, L"STATIC", shown.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                   x, px(9), text.cx + px(2), px(14), wnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(field.labelId)),
                                   GetModuleHandleW(nullptr), nullptr);
      if (i == kTargetBox) targetLabel_ = label;
      x += text.cx + px(6);
      boxes_[i] = CreateWindowExW(
          WS_EX_CLIENTEDGE, L"EDIT", field.initial, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x,
          px(5), px(field.boxWidth), px(20), wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(field.id)),
          GetModuleHandleW(nullptr), nullptr);
      x += px(field.boxWidth) + px(14);
      for (HWND control : {label, boxes_[i]})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
      TakeKeys(boxes_[i]);
    }
    const int labelWidth = extent(L"Units");
    HWND label = CreateWindowExW(0, L"STATIC", L"Units", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, x, px(9),
                                 labelWidth + px(2), px(14), wnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_UNITS_LABEL)),
                                 GetModuleHandleW(nullptr), nullptr);
    x += labelWidth + px(6);
    units_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, x, px(5),
                             px(kUnitsBoxWidth), px(120), wnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_UNITS)), GetModuleHandleW(nullptr),
                             nullptr);
    for (HWND control : {label, units_}) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    TakeKeys(units_);
    for (std::size_t i = 0; i < kUnitChoices.size(); ++i) {
      SendMessageW(units_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kUnitNames[i]));
      if (kUnitChoices[i] == p_.units) SendMessageW(units_, CB_SETCURSEL, i, 0);
    }
    SetFocusControl(boxes_[0]);
  }

  void OnCommand(int id, int code) override {
    if (id == IDC_UNITS) {
      if (code == CBN_SELCHANGE && ready_) ChangeUnits();
      return;
    }
    const int i = BoxIndex(id);
    if (i < 0 || !ready_) return;
    if (code == EN_CHANGE) Recompute();
    if (code == EN_KILLFOCUS) PostMessageW(wnd_, kBoxLeft, static_cast<WPARAM>(i), 0);
  }

  void OnPosted(UINT msg, WPARAM wp) override {
    if (msg == kBoxLeft && wp < kBoxes.size()) ReportIfRefused(static_cast<std::size_t>(wp));
  }

 private:
  static int BoxIndex(int id) {
    for (std::size_t i = 0; i < kBoxes.size(); ++i)
      if (kBoxes[i].id == id) return static_cast<int>(i);
    return -1;
  }

  // A new choice is remembered for the next start and for the comparison
  // and the exported report; the typed volume is read in the new unit.
  void ChangeUnits() {
    const LRESULT at = SendMessageW(units_, CB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<std::size_t>(at) >= kUnitChoices.size()) return;
    p_.units = kUnitChoices[static_cast<std::size_t>(at)];
    StoreUnits(p_.units);
    SetWindowTextW(targetLabel_, TargetLabel(p_.units).c_str());
    reported_[kTargetBox].reset();
    Recompute();
  }

  // The sizing columns follow the boxes at every change. A refused box
  // contributes nothing; a refused safety factor leaves the sizing out
  // altogether, as no area would be right for it.
  void Recompute() {
    const BoxValue target = ReadBox(boxes_[0], kBoxes[0], p_);
    const BoxValue safety = ReadBox(boxes_[1], kBoxes[1], p_);
    const BoxValue element = ReadBox(boxes_[2], kBoxes[2], p_);
    SizingRequest request;
    if (!safety.problem) {
      request.targetM3 = target.value;
      request.safety = safety.value.value_or(kDefaultSafetyFactor);
    }
    request.elementArea = element.value;
    ShowText(Shown(rec_, SizeFoulingReport(report_, request), request, p_));
  }

  void ShowText(const ShownText& text) {
    SetNotes(text.verdict);
    SetTable(text.table);
  }

  // Shown when the box is left, once for each refused text, so leaving the
  // same text again (or the window) asks nothing more.
  void ReportIfRefused(std::size_t i) {
    if (Closing()) return;
    const std::string text = WindowText(boxes_[i]);
    const BoxValue value = ReadBox(boxes_[i], kBoxes[i], p_);
    if (!value.problem) {
      reported_[i].reset();
      return;
    }
    if (reported_[i] == text) return;
    reported_[i] = text;
    RunMessageBox(wnd_, *value.problem, MessageIcon::Information, MessageButtons::Ok, MessageAnswer::Ok);
  }

  const TWineRec rec_;
  const FoulingReport report_;
  Presentation p_;
  HWND wnd_ = nullptr;
  HWND targetLabel_ = nullptr;
  HWND units_ = nullptr;
  std::array<HWND, 3> boxes_{};
  std::array<std::optional<std::string>, 3> reported_{};
  bool ready_ = false;
};

}  // namespace

void OpenFoulingWindow(HWND owner, const TWineRec& rec, const FoulingReport& report) {
  const Presentation p = ProgramPresentation();
  auto window = std::make_unique<FoulingWindow>(rec, report, p);
  const ShownText text = Shown(rec, report, {}, p);
  int columns = 0;
  for (const auto* lines : {&text.verdict, &text.table})
    for (const std::string& line : *lines) columns = std::max(columns, static_cast<int>(Widen(line).size()));
  if (!window->Create(owner, static_cast<int>(text.table.size()), columns,
                      std::max<int>(1, static_cast<int>(text.verdict.size()))))
    return;
  window->Show();
  window->Fill();
  TableGraphWindow::HandOver(std::move(window));
}

}  // namespace vorsant
