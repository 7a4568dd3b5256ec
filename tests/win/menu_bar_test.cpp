// The menu bar and shortcuts built from the action table, read back from
// the real menu and accelerator table: they must be exactly what the
// program has always shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/menu_bar_win.h"
#include "app/win_handles.h"

namespace vorsant {
namespace {

struct Item {
  std::wstring Text;  // L"-" for a separator
  UINT Id;
  bool operator==(const Item&) const = default;
};

std::vector<Item> ItemsOf(HMENU menu) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = 127;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
    items.push_back((mii.fType & MFT_SEPARATOR) ? Item{L"-", 0} : Item{text, mii.wID});
  }
  return items;
}

const std::vector<Item> kWineMenu = {{L"&New\tCtrl+N", 101},
                                     {L"&Open", 102},
                                     {L"&Close", 103},
                                     {L"&Save\tCtrl+S", 104},
                                     {L"Save &As...", 105},
                                     {L"Export &Report...", 107},
                                     {L"-", 0},
                                     {L"E&xit", 106}};

TEST(MenuBar, HasTheProgramsMenusItemsSeparatorsShortcutsAndIds) {
  UniqueMenu bar(BuildMenuBar());
  ASSERT_EQ(GetMenuItemCount(bar.Get()), 4);
  std::vector<std::wstring> popups;
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(bar.Get(), static_cast<UINT>(i), text, 63, MF_BYPOSITION);
    popups.push_back(text);
  }
  EXPECT_EQ(popups, (std::vector<std::wstring>{L"&Wine", L"&Data", L"&View", L"&Help"}));
  EXPECT_EQ(ItemsOf(GetSubMenu(bar.Get(), 0)), kWineMenu);
  EXPECT_EQ(ItemsOf(GetSubMenu(bar.Get(), 1)), (std::vector<Item>{{L"&Edit Conditions\tCtrl+E", 201},
                                                                  {L"Edit &Data\tCtrl+D", 202},
                                                                  {L"&Collect New Data\tCtrl+C", 203},
                                                                  {L"-", 0},
                                                                  {L"Laboratory Graph", 204},
                                                                  {L"Production Graph", 205},
                                                                  {L"&Fouling Models", 207},
                                                                  {L"Compare &Open Trials", 208},
                                                                  {L"-", 0},
                                                                  {L"Set Scale Connection", 206},
                                                                  {L"&Balance Settings...", 209}}));
  EXPECT_EQ(
      ItemsOf(GetSubMenu(bar.Get(), 2)),
      (std::vector<Item>{{L"&Cascade", 401}, {L"Tile &Horizontally", 402}, {L"&Tile Vertically", 403}}));
  EXPECT_EQ(ItemsOf(GetSubMenu(bar.Get(), 3)), (std::vector<Item>{{L"About", 301}}));
}

TEST(MenuBar, AcceleratorsAreTheFiveControlShortcuts) {
  UniqueAccelerators table(BuildAccelerators());
  ACCEL accels[16] = {};
  int n = CopyAcceleratorTableW(table.Get(), accels, 16);
  std::vector<std::vector<int>> got;
  for (int i = 0; i < n; ++i) got.push_back({accels[i].fVirt & ~0x80, accels[i].key, accels[i].cmd});
  const int ctrl = FVIRTKEY | FCONTROL;
  EXPECT_EQ(got,
            (std::vector<std::vector<int>>{
                {ctrl, 'N', 101}, {ctrl, 'S', 104}, {ctrl, 'E', 201}, {ctrl, 'D', 202}, {ctrl, 'C', 203}}));
}

TEST(MenuBar, RecentTrialsSitBetweenExportReportAndExitBehindTheirOwnSeparator) {
  UniqueMenu bar(BuildMenuBar());
  HMENU wine = GetSubMenu(bar.Get(), 0);
  ShowRecentTrials(wine, {"C:\\Trials\\a.vrs", "C:\\Trials\\R&D.vrs"});
  std::vector<Item> expected(kWineMenu.begin(), kWineMenu.begin() + 6);
  expected.insert(expected.end(),
                  {{L"-", 0}, {L"&1 C:\\Trials\\a.vrs", 111}, {L"&2 C:\\Trials\\R&&D.vrs", 112}});
  expected.insert(expected.end(), kWineMenu.begin() + 6, kWineMenu.end());
  EXPECT_EQ(ItemsOf(wine), expected);
  ShowRecentTrials(wine, {"C:\\b.vrs"});
  EXPECT_EQ(ItemsOf(wine)[7], (Item{L"&1 C:\\b.vrs", 111}));
  EXPECT_EQ(ItemsOf(wine).size(), kWineMenu.size() + 2);
  ShowRecentTrials(wine, {});
  EXPECT_EQ(ItemsOf(wine), kWineMenu);
}

}  // namespace
}  // namespace vorsant
