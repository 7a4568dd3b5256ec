#include "app/actions.h"

namespace vorsant {
namespace {

using C = ActionCategory;

constexpr std::array<ActionInfo, kActionCount> kActions{{
    {kCmdFileNew, "FileNew", C::File, "&New", "Ctrl+N", "New|Create a new wine", "", true, 0},
    {kCmdFileOpen, "FileOpen", C::File, "&Open", "", "Open|Open an existing wine file", "", true, 1},
    {kCmdFileClose, "FileClose", C::FileDone, "&Close", "", "Close|Close the currently active window",
     "Close|Close the current window", false, -1},
    {kCmdFileSave, "FileSave", C::FileDone, "&Save", "Ctrl+S", "Save|Save current wine", "", false, 2},
    {kCmdFileSaveAs, "FileSaveAs", C::FileDone, "Save &As...", "",
     "Save as|Save the current wine with a new file name", "Save As|Save current file with different name",
     false, -1},
    {kCmdExportReport, "ExportReport", C::FileDone, "Export &Report...", "",
     "Export report|Save the current wine's report as a web page", "", false, -1},
    {kCmdExit, "Exit", C::File, "E&xit", "", "Exit|Exit application", "", true, -1},
    {kCmdEditConditions, "EditConditions", C::Data, "&Edit Conditions", "Ctrl+E", "", "", false, -1},
    {kCmdEditData, "EditData", C::Data, "Edit &Data", "Ctrl+D", "", "", false, -1},
    {kCmdCollectNewData, "CollectNewData", C::Data, "&Collect New Data", "Ctrl+C", "", "", false, -1},
    {kCmdLaboratoryGraph, "LaboratoryGraph", C::Data, "Laboratory Graph", "", "", "", false, -1},
    {kCmdProductionGraph, "ProductionGraph", C::Data, "Production Graph", "", "", "", false, -1},
    {kCmdFoulingModels, "FoulingModels", C::Data, "&Fouling Models", "", "", "", false, -1},
    {kCmdCompareOpenTrials, "CompareOpenTrials", C::Data, "Compare &Open Trials", "", "", "", false, -1},
    {kCmdSetScaleConnection, "SetScaleConnection", C::Data, "Set Scale Connection", "", "", "", true, -1},
    {kCmdBalanceSettings, "BalanceSettings", C::Data, "&Balance Settings...", "", "",
     "Balance Settings|Choose the balance's port and command set, or find it", true, -1},
    {kCmdHelpAbout, "HelpAbout", C::Help, "About", "", "", "", true, -1},
    {kCmdWindowCascade, "WindowCascade", C::Window, "&Cascade", "", "Cascade", "Cascade|Cascade windows",
     false, 3},
    {kCmdWindowTileHorizontal, "WindowTileHorizontal", C::Window, "Tile &Horizontally", "", "Tile Horizontal",
     "Tile|Tile windows horizontally", false, 4},
    {kCmdWindowTileVertical, "WindowTileVertical", C::Window, "&Tile Vertically", "", "Tile Vertical",
     "Tile|Tile windows vertically", false, 5},
}};

constexpr CommandId kSep = kMenuSeparator;
constexpr std::array<CommandId, 8> kWineMenu{kCmdFileNew,    kCmdFileOpen,     kCmdFileClose, kCmdFileSave,
                                             kCmdFileSaveAs, kCmdExportReport, kSep,          kCmdExit};
constexpr std::array<CommandId, 11> kDataMenu{
    kCmdEditConditions,  kCmdEditData,      kCmdCollectNewData,    kSep, kCmdLaboratoryGraph,
    kCmdProductionGraph, kCmdFoulingModels, kCmdCompareOpenTrials, kSep, kCmdSetScaleConnection,
    kCmdBalanceSettings};
constexpr std::array<CommandId, 3> kViewMenu{kCmdWindowCascade, kCmdWindowTileHorizontal,
                                             kCmdWindowTileVertical};
constexpr std::array<CommandId, 1> kHelpMenu{kCmdHelpAbout};
constexpr std::array<MenuPopupLayout, 4> kMenuBar{{
    {"&Wine", kWineMenu},
    {"&Data", kDataMenu},
    {"&View", kViewMenu},
    {"&Help", kHelpMenu},
}};

std::optional<std::size_t> IndexOf(CommandId id) {
  for (std::size_t i = 0; i < kActions.size(); ++i)
    if (kActions[i].Id == id) return i;
  return std::nullopt;
}

bool IsWineCategory(ActionCategory c) {
  return c == C::Data || c == C::FileDone;
}

}  // namespace

const std::array<ActionInfo, kActionCount>& Actions() {
  return kActions;
}

const ActionInfo* FindAction(CommandId id) {
  auto i = IndexOf(id);
  return i ? &kActions[*i] : nullptr;
}

std::span<const MenuPopupLayout> MenuBarLayout() {
  return kMenuBar;
}

std::string MenuItemText(const ActionInfo& action) {
  std::string text(action.Caption);
  if (!action.Shortcut.empty()) text.append("\t").append(action.Shortcut);
  return text;
}

std::optional<ShortcutKey> ParseShortcut(std::string_view text) {
  constexpr std::string_view kCtrl = "Ctrl+";
  ShortcutKey key;
  if (text.starts_with(kCtrl)) {
    key.Control = true;
    text.remove_prefix(kCtrl.size());
  }
  if (text.size() != 1) return std::nullopt;
  char c = text[0];
  if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return std::nullopt;
  key.Key = c;
  return key;
}

std::string_view ShortHint(std::string_view hint) {
  auto bar = hint.find('|');
  return bar == std::string_view::npos ? hint : hint.substr(0, bar);
}

std::string_view LongHint(std::string_view hint) {
  auto bar = hint.find('|');
  return bar == std::string_view::npos ? hint : hint.substr(bar + 1);
}

ActionStates::ActionStates() {
  for (std::size_t i = 0; i < kActions.size(); ++i) enabled_[i] = kActions[i].EnabledAtStart;
}

void ActionStates::EnableWineActions() {
  for (std::size_t i = 0; i < kActions.size(); ++i)
    if (IsWineCategory(kActions[i].Category)) enabled_[i] = true;
}

void ActionStates::DisableWineActions() {
  for (std::size_t i = 0; i < kActions.size(); ++i)
    if (IsWineCategory(kActions[i].Category)) enabled_[i] = false;
}

bool ActionStates::Enabled(CommandId id) const {
  auto i = IndexOf(id);
  return i && enabled_[*i];
}

bool IsActionEnabled(CommandId id, const ActionContext& context) {
  const ActionInfo* info = FindAction(id);
  if (!info) return false;
  switch (info->Category) {
    case C::File:
    case C::Help:
      return true;
    case C::Window:
      return context.MdiChildCount > 0;
    case C::FileDone:
    case C::Data:
      return context.States.Enabled(id);
  }
  return false;
}

}  // namespace vorsant
