#include "app/menu_bar_win.h"

#include <vector>

#include "app/actions.h"
#include "app/recent_trials.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

bool IsRecentId(UINT id) {
  return id >= static_cast<UINT>(kCmdRecentTrial1) &&
         id < static_cast<UINT>(kCmdRecentTrial1 + kRecentTrialCount);
}

int PositionOf(HMENU menu, UINT id) {
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(menu, i) == id) return i;
  return -1;
}

bool IsSeparatorAt(HMENU menu, int position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &mii) && (mii.fType & MFT_SEPARATOR);
}

}  // namespace

HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  for (const MenuPopupLayout& popupLayout : MenuBarLayout()) {
    HMENU popup = CreatePopupMenu();
    for (CommandId id : popupLayout.Items) {
      if (id == kMenuSeparator) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const ActionInfo* action = FindAction(id);
      AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(id), Widen(MenuItemText(*action)).c_str());
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Widen(popupLayout.Caption).c_str());
  }
  return bar;
}

HACCEL BuildAccelerators() {
  std::vector<ACCEL> table;
  for (const ActionInfo& a : Actions()) {
    auto key = ParseShortcut(a.Shortcut);
    if (!key) continue;
    ACCEL accel{};
    accel.fVirt = static_cast<BYTE>(FVIRTKEY | (key->Control ? FCONTROL : 0));
    accel.key = static_cast<WORD>(key->Key);
    accel.cmd = static_cast<WORD>(a.Id);
    table.push_back(accel);
  }
  return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

void ShowRecentTrials(HMENU wineMenu, const std::vector<std::string>& paths) {
  int anchor = PositionOf(wineMenu, kCmdExportReport);
  if (anchor < 0) return;
  // Take out what an earlier call put in: the entries, then their separator.
  bool listed = false;
  for (int i = GetMenuItemCount(wineMenu) - 1; i > anchor; --i) {
    if (IsRecentId(GetMenuItemID(wineMenu, i))) {
      DeleteMenu(wineMenu, static_cast<UINT>(i), MF_BYPOSITION);
      listed = true;
    }
  }
  if (listed && IsSeparatorAt(wineMenu, anchor + 1) && IsSeparatorAt(wineMenu, anchor + 2))
    DeleteMenu(wineMenu, static_cast<UINT>(anchor + 1), MF_BYPOSITION);
  if (paths.empty()) return;
  UINT at = static_cast<UINT>(anchor + 1);
  InsertMenuW(wineMenu, at++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  for (std::size_t i = 0; i < paths.size() && i < kRecentTrialCount; ++i)
    InsertMenuW(wineMenu, at++, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(kCmdRecentTrial1 + i),
                Widen(RecentMenuCaption(i, paths[i])).c_str());
}

}  // namespace vorsant
