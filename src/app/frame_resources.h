#pragma once
// The main frame's menus, toolbar and key bindings as data, so the window builds them from one
// description and tests can read them without a display. Texts are UTF-8; "&" marks the mnemonic
// and a tab separates the shortcut text shown in the menu.
#include <span>
#include <string_view>
#include <vector>

/// One menu entry: a command, a separator or a popup with entries of its own.
struct MenuEntry {
  enum class Kind { Command, Separator, Popup };
  Kind kind = Kind::Separator;
  std::string_view text;
  int id = 0;                   // command id (Command only)
  std::vector<MenuEntry> items;  // entries of a popup
};

/// One toolbar slot: a command button, or a separator when id is 0.
struct ToolbarButton {
  int id = 0;
  std::string_view tip;   // tooltip of the button
  std::string_view icon;  // image name under the toolbar resources
};

/// One key binding: a key sequence in portable text form ("Ctrl+O", "A") and the command it issues.
struct Accelerator {
  std::string_view keys;
  int id = 0;
};

/// The menu shown while a pane exists.
const std::vector<MenuEntry>& PaneMenu();

/// The frame's own menu, shown while no pane exists.
const std::vector<MenuEntry>& FrameMenu();

/// The toolbar, in button order.
std::span<const ToolbarButton> ToolbarButtons();

/// The accelerator table.
std::span<const Accelerator> Accelerators();

/// Every command id that appears in a menu, the toolbar or the accelerators, each once.
std::vector<int> AllFrameCommandIds();
