#pragma once
// The one command table of the tool window: every tool button, menu entry,
// title-strip button and function key has its id here, and nowhere else. The
// window builds its tool bar and menus with these ids, the dispatcher maps
// them to the controller's handlers, and the test tools send them by name.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>

namespace quiltor {

enum class CommandId : std::uint16_t {
  kMode = 100,         // ToolButton_Mode (F2)
  kNew = 101,          // ToolButton_New, Popup_New
  kOpen = 102,         // ToolButton_Open (button part), Popup_Open
  kClose = 103,        // ToolButton_Close (button part), Popup_Close
  kExec = 104,         // ToolButton_Exec (button part): the kind's default program
  kRepeat = 105,       // ToolButton_Repeat, Popup_Repeat (and the re-edit hot key)
  kLoomwork = 106,     // ToolButton_Loomwork (button part), Popup_Loomwork (Shift+F9)
  kModeEasy = 120,     // Popup_Mode_Easy
  kModeSync = 121,     // Popup_Mode_Sync
  kDispToolBar = 122,  // Popup_Disp_ToolBar
  kDispAutoSmall = 123,
  kDispStayOnTop = 124,
  kDispHideIcon = 125,
  kSetup = 126,           // Popup_Setup
  kAbout = 127,           // Popup_About
  kHelp = 128,            // Popup_Help
  kExit = 129,            // Popup_Exit, SpeedButtonExit
  kKanren = 130,          // Popup_Kanren (first entry of PopupMenu_Exec)
  kExecAssociated = 131,  // Popup_Exec
  kCloseAll = 132,        // Popup_CloseAll, PopupCloseCloseAll
  kMinimize = 133,        // SpeedButtonMinimize
  kShrink = 134,          // SpeedButtonResize1
  kStretch = 135,         // SpeedButtonResize2
  kFix = 136,             // SpeedButtonFix (F3)
  kSystemMenu = 137,      // ImageIcon (F1)
  kFileChosen = 138,      // ComboBoxFile: the user picked an entry
  kLoomworkDropDown = 139,  // F9: the recent data-file list drops down
  // Ranges: the first id, then one id per entry of a list menu.
  kOpenHistory = 200,      // PopupMenu_Open / Popup_OpenSel entries
  kExecProgram = 240,      // PopupMenu_Exec program entries / Popup_ExecSel entries
  kLoomworkHistory = 280,  // PopupMenu_Loomwork entries
  kCloseFile = 300,        // PopupMenu_Close / Popup_CloseSel file entries
};

// Where a WM_COMMAND comes from decides which notification codes count.
enum class CommandSource {
  kMenuOrButton,  // menu entry (code 0), accelerator (code 1) or button click (BN_CLICKED)
  kComboBox,      // only a selection change of the combo box (CBN_SELCHANGE)
  kInternal,      // keys and title-strip buttons: never a WM_COMMAND from a control
};

struct CommandInfo {
  CommandId id;
  std::uint16_t count;    // 1, or the number of ids of a list range
  std::string_view name;  // the control that carries it, for tools and messages
  CommandSource source;
};

inline constexpr CommandInfo kCommandTable[] = {
    {CommandId::kMode, 1, "ToolButton_Mode", CommandSource::kMenuOrButton},
    {CommandId::kNew, 1, "ToolButton_New", CommandSource::kMenuOrButton},
    {CommandId::kOpen, 1, "ToolButton_Open", CommandSource::kMenuOrButton},
    {CommandId::kClose, 1, "ToolButton_Close", CommandSource::kMenuOrButton},
    {CommandId::kExec, 1, "ToolButton_Exec", CommandSource::kMenuOrButton},
    {CommandId::kRepeat, 1, "ToolButton_Repeat", CommandSource::kMenuOrButton},
    {CommandId::kLoomwork, 1, "ToolButton_Loomwork", CommandSource::kMenuOrButton},
    {CommandId::kModeEasy, 1, "Popup_Mode_Easy", CommandSource::kMenuOrButton},
    {CommandId::kModeSync, 1, "Popup_Mode_Sync", CommandSource::kMenuOrButton},
    {CommandId::kDispToolBar, 1, "Popup_Disp_ToolBar", CommandSource::kMenuOrButton},
    {CommandId::kDispAutoSmall, 1, "Popup_Disp_AutoSmall", CommandSource::kMenuOrButton},
    {CommandId::kDispStayOnTop, 1, "Popup_Disp_StayOnTop", CommandSource::kMenuOrButton},
    {CommandId::kDispHideIcon, 1, "Popup_Disp_HideIcon", CommandSource::kMenuOrButton},
    {CommandId::kSetup, 1, "Popup_Setup", CommandSource::kMenuOrButton},
    {CommandId::kAbout, 1, "Popup_About", CommandSource::kMenuOrButton},
    {CommandId::kHelp, 1, "Popup_Help", CommandSource::kMenuOrButton},
    {CommandId::kExit, 1, "Popup_Exit", CommandSource::kMenuOrButton},
    {CommandId::kKanren, 1, "Popup_Kanren", CommandSource::kMenuOrButton},
    {CommandId::kExecAssociated, 1, "Popup_Exec", CommandSource::kMenuOrButton},
    {CommandId::kCloseAll, 1, "Popup_CloseAll", CommandSource::kMenuOrButton},
    {CommandId::kMinimize, 1, "SpeedButtonMinimize", CommandSource::kInternal},
    {CommandId::kShrink, 1, "SpeedButtonResize1", CommandSource::kInternal},
    {CommandId::kStretch, 1, "SpeedButtonResize2", CommandSource::kInternal},
    {CommandId::kFix, 1, "SpeedButtonFix", CommandSource::kInternal},
    {CommandId::kSystemMenu, 1, "ImageIcon", CommandSource::kInternal},
    {CommandId::kFileChosen, 1, "ComboBoxFile", CommandSource::kComboBox},
    {CommandId::kLoomworkDropDown, 1, "PopupMenu_Loomwork", CommandSource::kInternal},
    {CommandId::kOpenHistory, 20, "Popup_OpenSel", CommandSource::kMenuOrButton},
    {CommandId::kExecProgram, 20, "Popup_ExecSel", CommandSource::kMenuOrButton},
    {CommandId::kLoomworkHistory, 20, "PopupMenu_Loomwork items", CommandSource::kMenuOrButton},
    {CommandId::kCloseFile, 700, "Popup_CloseSel", CommandSource::kMenuOrButton},
};

// Data-page buttons and menu entries use ids from here up; they are the
// pages' own and never reach the dispatcher.
inline constexpr std::uint16_t kFirstPageItemId = 1000;

// The function keys of the window and the command each runs.
struct KeyBinding {
  std::uint8_t vk;
  bool shift;
  CommandId id;
};
inline constexpr KeyBinding kKeyTable[] = {
    {0x70, false, CommandId::kSystemMenu},        // F1
    {0x70, true, CommandId::kSystemMenu},
    {0x71, false, CommandId::kMode},              // F2
    {0x71, true, CommandId::kMode},
    {0x72, false, CommandId::kFix},               // F3
    {0x72, true, CommandId::kFix},
    {0x78, false, CommandId::kLoomworkDropDown},  // F9
    {0x78, true, CommandId::kLoomwork},           // Shift+F9
};

inline constexpr std::uint16_t ToUint(CommandId id) { return static_cast<std::uint16_t>(id); }
inline constexpr std::uint16_t RangeId(CommandId first, std::size_t index) {
  return static_cast<std::uint16_t>(ToUint(first) + index);
}

// The table entry an id belongs to and its index within a range.
struct CommandHit {
  const CommandInfo* info = nullptr;
  std::size_t index = 0;
};
std::optional<CommandHit> FindCommand(unsigned id);
std::optional<CommandId> FindCommandByName(std::string_view name);
std::optional<CommandId> CommandForKey(std::uint8_t vk, bool shift);

// WM_COMMAND notification codes the dispatcher tells apart.
inline constexpr unsigned kNotifyMenu = 0;         // also BN_CLICKED
inline constexpr unsigned kNotifyAccelerator = 1;  // also CBN_SELCHANGE from a combo box
inline constexpr unsigned kCbnSelChange = 1;

// Maps ids to handlers. A handler gets the index within its range (0 for
// single commands).
class CommandDispatcher {
 public:
  using Handler = std::function<void(std::size_t index)>;
  void Bind(CommandId id, Handler handler);
  bool HasHandler(CommandId id) const;
  // A WM_COMMAND: `fromControl` when lParam named a control. True when the
  // id was ours and a handler ran; codes that do not mean "chosen" (an edit's
  // EN_CHANGE, a combo box opening) run nothing.
  bool Dispatch(unsigned id, unsigned notification, bool fromControl) const;
  // The same without notification checks: keys, title-strip buttons, hot keys.
  bool Run(CommandId id, std::size_t index = 0) const;

 private:
  std::unordered_map<std::uint16_t, Handler> handlers_;
};

}  // namespace quiltor
