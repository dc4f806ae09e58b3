#pragma once
// The tool window TFormMain: a captionless, narrow pop-up with its own title
// strip, a tool bar, the file combo box, the data pages and a status bar. Its
// geometry and height rules live in window/window_state.h; this class turns
// window messages into calls on that state and applies what comes back.
//
// Use from the entry point:
//   TFormMain form;
//   MainWindowContext context{platform, exchange, arguments};
//   if (!form.Create(context)) return 1;       // FormCreate; not shown yet
//   exchange.PublishMainWindow(...form.Handle());
//   RegisterHotKeys(...);                       // failures: form.ShowMessageNear(...)
//   int code = RunMessageLoop(form);            // FormShow, idle steps, until WM_QUIT
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"
#include "ui/base_window.h"
#include "window/window_state.h"

namespace quiltor {

struct Win32Platform;
class ExchangeArea;
class DataPagesView;
class TitleStrip;
class WindowImages;
struct OwnArguments;
struct AppSettings;
struct DataPage;
struct PageCursor;
struct LinkedState;
class DeliveryRoutines;
class ItemExecutor;
class ItemHost;

struct MainWindowContext {
  Win32Platform& platform;
  ExchangeArea& exchange;
  std::vector<Bytes> arguments;  // the program's own arguments, program path not included
};

class TFormMain : public BaseWindow<TFormMain> {
 public:
  TFormMain();
  ~TFormMain() override;

  // FormCreate: builds the window from the settings, hidden. False when the
  // window could not be created (the caller ends the program).
  bool Create(MainWindowContext& context);
  using BaseWindow::Handle;
  // FormShow: shows the window (the first show primes the clipboard).
  void Show();
  // Called by the message loop whenever the queue runs empty.
  void ApplicationEventsIdle();
  bool StartupWaiting() const { return state_.StartupWaiting(); }

  // A message box near the window's top left corner (dx, dy pixels from it),
  // for the tool's own messages. Texts as UTF-16 or as CP932 bytes.
  int ShowMessageNear(const std::wstring& text, UINT type, int dx, int dy);
  int ShowMessageNear(const Bytes& text, UINT type, int dx, int dy);

  // ---- Points where item execution, forwarding, hot keys and the keyboard
  // attach. Each is optional; unset means "not handled yet".
  // A button or menu entry was chosen; `componentName` is "TB"+NN+"M"+ii,
  // "TB"+NN+"S"+ii or "MB"+NN+item key.
  std::function<void(const Bytes& componentName)> onItemChosen;
  // WM_COPYDATA; returns the message result.
  std::function<LRESULT(HWND sender, const COPYDATASTRUCT& data)> onCopyData;
  // WM_HOTKEY with its id; the standard handling runs afterwards.
  std::function<void(int id)> onHotKey;
  // A key that reached the window's shortcut processing; true = consumed.
  std::function<bool(UINT vk)> onShortCut;
  // StartupPending 1..99 at an idle moment (a delivery finished).
  std::function<void()> onDeliveryIdle;
  // After FormCreate has parsed the own arguments ("/h", "/f"): linking.
  std::function<void(const OwnArguments&)> onOwnArguments;
  // End of start-up and mode changes: ApplyMode and the watch timer.
  std::function<void()> onApplyMode;
  // Menu commands built elsewhere (mode, re-edit, setup, about, file
  // commands, data-file selection); the id is one of the kCmd constants.
  std::function<bool(UINT command)> onCommand;

  // ---- State other parts read and change.
  MainWindowState& State() { return state_; }
  const AppSettings& Settings() const { return *settings_; }
  DataPagesView& Pages() { return *pages_; }
  const Bytes& ExeFolder() const { return exeFolder_; }
  const Bytes& CurrentDataFile() const { return currentDataFile_; }
  const std::vector<Bytes>& LoomworkHistory() const { return loomworkPaths_; }
  std::vector<Bytes>& FileHistory() { return fileHistory_; }
  bool LinkedMode() const;
  bool StayOnTop() const;
  bool HideIconInEffect() const;
  // The height animation used by shrink, stretch, loading and start-up.
  void AnimateHeight(int target);
  // Loads the current data file into pages; false when it is missing or bad.
  bool LoadDataPages();
  void SetStatusText(const std::wstring& text);
  HMENU MenuMain() const { return popupMenuMain_; }
  HMENU MenuOpen() const { return popupMenuOpen_; }
  HMENU MenuExec() const { return popupMenuExec_; }
  HMENU MenuLoomwork() const { return popupMenuLoomwork_; }
  HWND ToolBarHandle() const { return toolBar_; }
  HWND ComboBoxFile() const { return comboBoxFile_; }
  HWND EditDummy() const { return editDummy_; }
  ItemExecutor* Items() { return executor_.get(); }
  LinkedState& Linked() { return *linked_; }

  // ---- Items, modes, the watch timer and the keyboard (main_items.cpp).
  void StopWatchTimer();
  void StartWatchTimer();
  // Enabled states and the watch timer's interval and handler for the mode in force.
  void ApplyMode();
  // Toggles between simple and linked mode and writes "Mode".
  void Popup_ModeClick();
  void Popup_RepeatClick();
  bool RepeatEnabled() const;
  // The keys of the window's shortcut processing; true = consumed.
  bool FormShortCut(UINT vk);
  LRESULT HandleForwardedCommandLine(const COPYDATASTRUCT& data);
  // Loads another data file in place of the current one, shrunk while loading.
  void SwapDataFile(const Bytes& dataFile);

  // Handlers named after the controls.
  void ImageIconClick();
  void ImageTitle1DblClick();
  void ImageTitle1MouseDown(POINT screen);
  void ImageTitle1MouseMove(POINT screen);
  void ImageTitle1MouseUp();
  void SpeedButtonResize1Click();
  void SpeedButtonResize2Click();
  void SpeedButtonFixClick(bool down);
  void SpeedButtonMinimizeClick();
  void Popup_ExitClick();
  void Popup_HelpClick();
  void Popup_Disp_ToolBarClick();
  void Popup_Disp_AutoSmallClick();
  void Popup_Disp_StayOnTopClick();
  void Popup_Disp_HideIconClick();
  void ApplicationEventsActivate();
  void ApplicationEventsDeactivate();
  void ApplicationEventsRestore();

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // The shortcut handling of the message loop: true when the key was
  // consumed (every key is, while the window is visible).
  bool PreTranslateKey(const MSG& msg);

 private:
  friend class TitleStrip;
  bool FormCreate();
  void CreateChildren();
  void CreateMenus();
  void BuildLoomworkHistory();
  void CheckCompanionLibrary();
  void FormShow();
  void FinishStartup();
  void FormClose();
  void FormDestroy();
  void Layout();
  void ApplyTopmost(bool topmost);
  void ApplyTaskbarButton();
  void UpdateResizeButtons(bool atShrinkHeight);
  void SetMenuCheck(UINT id, bool checked);
  bool MenuChecked(UINT id) const;
  void SetMenuEnabled(UINT id, bool enabled);
  bool MenuEnabled(UINT id) const;
  void DropDown(UINT toolButton, HMENU menu);
  int Height() const;
  void SetHeight(int height);

  void OnCommand(UINT id, UINT code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  LRESULT OnNcHitTest(LPARAM lparam);
  void OnWindowPosChanging(WINDOWPOS* pos);
  void OnSize(UINT kind);
  void OnActivateApp(bool active);
  bool OnMeasureItem(MEASUREITEMSTRUCT* measure);
  bool OnDrawItem(DRAWITEMSTRUCT* draw);
  bool OnMouseWheel(int delta, POINT cursor);

  class ItemsHost;
  void CreateItemExecutor();
  void WireItems();
  void ChooseItem(const Bytes& componentName);
  void OnTimer(UINT_PTR id);
  void OnHotKey(int id);
  void EnterLinkedMode();
  void LinkOwnArguments(const OwnArguments& arguments);
  void RememberDataFile(const Bytes& dataFile);
  void ResetPageCursors();
  void KeepFocusOnDummy();

  Win32Platform* platform_ = nullptr;
  ExchangeArea* exchange_ = nullptr;
  std::vector<Bytes> arguments_;
  std::unique_ptr<AppSettings> settings_;
  MainWindowState state_;
  std::unique_ptr<WindowImages> images_;
  std::unique_ptr<TitleStrip> title_;
  std::unique_ptr<OwnArguments> ownArguments_;
  TitleDrag drag_;
  std::vector<Bytes> fileHistory_;    // PopupMenu_Open items, most recent first
  std::unique_ptr<DataPagesView> pages_;
  Bytes exeFolder_;
  Bytes currentDataFile_;
  std::vector<Bytes> loomworkPaths_;  // carried by the PopupMenu_Loomwork items, in order
  int savedLeft_ = 0;
  int savedTop_ = 0;
  bool firstShown_ = false;
  bool shown_ = false;
  bool closing_ = false;
  bool minimized_ = false;
  bool inIdleStep_ = false;
  int pagesTop_ = 0;
  Bytes savedClipboardText_;

  std::unique_ptr<ItemHost> itemsHost_;
  std::unique_ptr<DeliveryRoutines> delivery_;
  std::unique_ptr<ItemExecutor> executor_;
  std::unique_ptr<LinkedState> linked_;
  std::vector<PageCursor> cursors_;  // one per data page
  UINT watchInterval_ = 2100;
  bool watchLinked_ = false;
  bool watchRunning_ = false;

  HWND toolBar_ = nullptr;
  HWND comboBoxFile_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND editDummy_ = nullptr;
  HWND tooltip_ = nullptr;
  HFONT uiFont_ = nullptr;
  HIMAGELIST toolImages_ = nullptr;
  HMENU popupMenuMain_ = nullptr;
  HMENU popupMenuOpen_ = nullptr;
  HMENU popupMenuExec_ = nullptr;
  HMENU popupMenuLoomwork_ = nullptr;
  HMENU popupMode_ = nullptr;
  HMENU popupDisp_ = nullptr;
  HMENU popupOpenSel_ = nullptr;
  HMENU popupExecSel_ = nullptr;
};

// Menu and tool-bar command ids of the main window.
enum : UINT {
  kCmdMode = 100,       // ToolButton_Mode
  kCmdNew,              // ToolButton_New / Popup_New
  kCmdOpen,             // ToolButton_Open / Popup_Open
  kCmdClose,            // ToolButton_Close / Popup_Close
  kCmdExec,             // ToolButton_Exec / Popup_Exec
  kCmdRepeat,           // ToolButton_Repeat / Popup_Repeat
  kCmdLoomwork,         // ToolButton_Loomwork / Popup_Loomwork
  kCmdModeEasy = 120,   // Popup_Mode_Easy
  kCmdModeSync,         // Popup_Mode_Sync
  kCmdDispToolBar,      // Popup_Disp_ToolBar
  kCmdDispAutoSmall,    // Popup_Disp_AutoSmall
  kCmdDispStayOnTop,    // Popup_Disp_StayOnTop
  kCmdDispHideIcon,     // Popup_Disp_HideIcon
  kCmdSetup,            // Popup_Setup
  kCmdAbout,            // Popup_About
  kCmdHelp,             // Popup_Help
  kCmdExit,             // Popup_Exit
  kCmdKanren,           // Popup_Kanren
  kCmdOpenHistory = 200,      // + position: PopupMenu_Open / Popup_OpenSel items
  kCmdExecProgram = 240,      // + position: PopupMenu_Exec program items
  kCmdLoomworkHistory = 280,  // + position: PopupMenu_Loomwork items
  kCmdItemFirst = 1000,       // data-page buttons and menu entries
};

// Runs the message loop until WM_QUIT: shows the window first, then calls its
// idle step whenever the queue runs empty. Returns the exit code.
int RunMessageLoop(TFormMain& form);

}  // namespace quiltor
