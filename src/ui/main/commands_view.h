#pragma once
// The tool bar and the menus of the main window, built with the ids of the
// command table and drawn from the main controller's models: enabled and
// checked states, the file history, the open files, the program list and
// the recent data files.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "window/commands.h"

namespace quiltor {

class MainController;
class WindowImages;

class CommandsView {
 public:
  explicit CommandsView(const MainController& controller) : controller_(controller) {}
  bool Create(HWND parent, const WindowImages& images);
  // The tool bar's images and button sizes for the DPI the images were made for.
  void ApplyImages(const WindowImages& images);
  HWND ToolBar() const { return toolBar_; }
  void RenderCommands();
  void RenderLists();
  // PopupMenu_Main at a screen point; the drop-down menu of a tool button.
  void ShowMainMenu(POINT at);
  void DropDown(CommandId toolButton);
  // The hint of a tool button (tool tips ask for it each time).
  const wchar_t* Hint(unsigned id) const;
  // Every menu's items as lines, for programs outside that look at the tool:
  // "menu <name>", then per item "item <position> <kind> <enabled> <checked>
  // <left> <top> <width> <height> [<text>]", kind s (entry), - (separator)
  // or > (submenu); the rectangle is on the screen while the menu is open,
  // else zero.
  std::wstring DescribeMenus() const;

 private:
  void CreateMenus();
  void SetItem(HMENU menu, CommandId id, bool enabled, bool checked);
  void EnableSubmenu(HMENU parent, HMENU submenu, bool enabled);
  HMENU DropDownMenu(CommandId toolButton) const;

  const MainController& controller_;
  HWND parent_ = nullptr;
  HWND toolBar_ = nullptr;
  int buttonWidth_ = 0;  // 96-dpi units
  MenuHandle main_;       // PopupMenu_Main, with its submenus
  HMENU mode_ = nullptr;  // Popup_Mode, owned by main_
  HMENU disp_ = nullptr;  // Popup_Disp
  HMENU openSel_ = nullptr;
  HMENU closeSel_ = nullptr;
  HMENU execSel_ = nullptr;
  MenuHandle open_;      // PopupMenu_Open
  MenuHandle close_;     // PopupMenu_Close
  MenuHandle exec_;      // PopupMenu_Exec
  MenuHandle loomwork_;  // PopupMenu_Loomwork
};

}  // namespace quiltor
