#pragma once
// The action list of the frame: every command with its caption, shortcut,
// hints and category, and whether it is enabled. Menu bar, toolbar and
// accelerators are all built from this one table when the program starts.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/command_ids.h"

namespace vorsant {

enum class ActionCategory { File, FileDone, Data, Help, Window };

struct ActionInfo {
  CommandId Id;
  std::string_view Name;  // FileNew, EditConditions, ...
  ActionCategory Category;
  std::string_view Caption;   // with "&" marking the access key
  std::string_view Shortcut;  // "Ctrl+N", or empty
  std::string_view Hint;      // the action's hint: "short|long", or empty
  std::string_view MenuHint;  // the menu item's own hint where it has one
  bool EnabledAtStart;
  int ImageIndex;  // picture in the shared image list, -1 for none
};

inline constexpr std::size_t kActionCount = 20;

const std::array<ActionInfo, kActionCount>& Actions();
const ActionInfo* FindAction(CommandId id);

// The menu bar as the user sees it: its popups in order, each a list of
// commands where kMenuSeparator draws a line. The shell builds the menu from
// this and the captions and shortcuts above.
inline constexpr CommandId kMenuSeparator = CommandId(0);
struct MenuPopupLayout {
  std::string_view Caption;
  std::span<const CommandId> Items;
};
std::span<const MenuPopupLayout> MenuBarLayout();
// A menu item's text: the caption, then a tab and the shortcut if it has one.
std::string MenuItemText(const ActionInfo& action);

// A shortcut of the table ("Ctrl+N") as a key: Control held and an upper-case
// letter or digit. Nothing for an empty or unknown text.
struct ShortcutKey {
  bool Control = false;
  char Key = 0;
};
std::optional<ShortcutKey> ParseShortcut(std::string_view text);

// The hint part before the bar (tooltips) and after it (status bar). A hint
// without a bar uses the whole text for both.
std::string_view ShortHint(std::string_view hint);
std::string_view LongHint(std::string_view hint);

// Enabled flags of the actions that the frame switches itself; the File and
// Help actions are always enabled and the Window actions follow the MDI
// children, so only these need state.
class ActionStates {
 public:
  ActionStates();
  // EnableWineActions / DisableWineActions: every action whose category is
  // exactly Data or FileDone.
  void EnableWineActions();
  void DisableWineActions();
  bool Enabled(CommandId id) const;

 private:
  std::array<bool, kActionCount> enabled_{};
};

struct ActionContext {
  const ActionStates& States;
  int MdiChildCount;  // every MDI child: the open trial windows
};

// Whether the command can run now. A pure function of the context so the
// shell can ask it whenever it refreshes menu and toolbar.
bool IsActionEnabled(CommandId id, const ActionContext& context);

}  // namespace vorsant
