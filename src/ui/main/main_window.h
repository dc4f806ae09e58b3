#pragma once
// The tool window TFormMain: a captionless, narrow pop-up with its own title
// strip, a tool bar, the file combo box, the data pages and a status bar. It
// shows what the main controller's models say and hands every message to the
// controller; it decides nothing itself.
//
// Use from the entry point:
//   MainController controller(services, settings, exeFolder);
//   TFormMain form(controller);
//   if (!form.Create()) ...;          // hidden; the controller has started
//   exchange.PublishMainWindow(...); hot keys ...
//   RunMessageLoop(form);             // shows it, idle steps, until WM_QUIT
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "platform/win32/handles.h"
#include "ui/main/app_window.h"
#include "ui/base_window.h"
#include "window/geometry.h"
#include "window/main_view.h"
#include "window/search_view.h"

namespace quiltor {

class MainController;
class CommandsView;
class DataPagesView;
class FilePanel;
class SearchPanel;
class TitleStrip;
class WindowImages;

class TFormMain : public BaseWindow<TFormMain>, public MainView, public SearchView {
 public:
  explicit TFormMain(MainController& controller);
  ~TFormMain() override;

  // Creates the window and its parts (hidden) and starts the controller
  // with the program's own arguments. False when Windows refused a window.
  bool Create(const std::vector<Bytes>& arguments);
  using BaseWindow::Handle;
  HWND TaskbarWindow() const { return app_.Handle(); }
  // The first show; the message loop calls it before its first message.
  void Show();
  // `afterWatchTicksOnly`: nothing but the watch timer's ticks came since
  // the last idle step; they move no focus, so the focus is not looked at.
  void ApplicationEventsIdle(bool afterWatchTicksOnly = false);
  bool IsWatchTick(const MSG& msg) const;
  // The shortcut handling of the message loop: true when the key was
  // consumed (every key is, while the window is visible, except those the
  // search box takes: they may be sent on to it).
  bool PreTranslateKey(MSG& msg);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // ---- MainView ----
  WindowId Window() override;
  WindowId FocusHolder() override;
  Rect WindowRect() override;
  int Dpi() override { return dpi_; }
  void MoveTo(Point topLeft) override;
  void SetHeight(int height) override;
  void AnimateHeight(int target) override;
  void SetVisible(bool visible) override;
  bool Visible() override;
  void Minimize() override;
  void Close() override;
  void ApplyTopmost(bool topmost) override;
  void ShowTaskbarButton(bool show) override;
  void SetTitleActive(bool active) override;
  void ShowShrinkButton(bool shrinkVisible) override;
  void ReleaseMouseCapture() override;
  void ShowToolBar(bool shown) override;
  bool CursorOnSizeGrip() override;
  void ShowProgress(bool shown) override;
  void Render(ViewPart parts) override;
  void ShowPages() override;
  void RefreshItemButtons() override;
  void ShowActivePage(int page) override;
  int PageScrollPosition(int page) override;
  int PageViewHeight(int page) override;
  void ScrollPage(int page, int delta) override;
  void MarkButton(int page, int column, int row, bool marked) override;
  void PressButton(int page, int column, int row) override;
  void ShowMainMenu() override;
  void DropDown(CommandId toolButton) override;
  Answer ShowMessage(const UserMessage& message) override;
  void ShowDeliveryError(DeliveryStatus status, const std::vector<ClipboardFormatName>& lostFormats) override;
  std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) override;
  void ShowAbout() override;
  SetupOutcome ShowSetupDialog(const SetupRequest& request) override;
  std::optional<Bytes> ChooseDataFile(const DataFileRequest& request) override;
  bool OpenHelp(const Bytes& programFolder) override;
  void SetWatchTimer(bool running, std::uint32_t interval) override;
  void WakeIdleAfter(std::uint32_t milliseconds) override;
  void ProcessPendingMessages() override;

  // ---- SearchView ----
  void ShowSearch(bool open) override;
  void RenderSearch() override;
  int SearchPageRows() override;

 private:
  static constexpr UINT_PTR kWatchTimerId = 1;
  // One-shot: makes the message loop run its idle step again while a paste
  // is still being read by the target.
  static constexpr UINT_PTR kIdleWakeTimerId = 2;
  bool CreateChildren();
  void Layout();
  int Px(int units) const { return ScaleToDpi(units, dpi_); }
  int Units(int pixels) const { return UnscaleFromDpi(pixels, dpi_); }
  // The window came onto a monitor of another DPI; `suggested` is where the
  // system would have it.
  void OnDpiChanged(int dpi, const RECT& suggested);
  int Height() const;
  void OnCommand(UINT id, UINT code, HWND control);
  LRESULT OnNotify(NMHDR* header);
  void OnSize(UINT kind);
  void OnWindowPosChanging(WINDOWPOS* pos);
  void OnTimer(UINT_PTR id);
  void KeepFocusOnDummy();
  bool PreTranslateSearchKey(MSG& msg);
  // The status bar's tool tip: the status hint while the bar cuts its text off.
  void RenderStatusHint(const std::wstring& text);

  MainController& controller_;
  ApplicationWindow app_;
  std::unique_ptr<WindowImages> images_;
  std::unique_ptr<TitleStrip> title_;
  std::unique_ptr<CommandsView> commands_;
  std::unique_ptr<FilePanel> filePanel_;
  std::unique_ptr<DataPagesView> pages_;
  std::unique_ptr<SearchPanel> search_;
  HWND statusBar_ = nullptr;
  HWND editDummy_ = nullptr;
  HWND tooltip_ = nullptr;
  std::wstring statusTip_;
  FontHandle uiFont_;  // the system's GUI font at the window's DPI
  int dpi_ = kBaseDpi;
  int pagesTop_ = 0;
  bool shownOnce_ = false;
  bool closing_ = false;
};

// Runs the message loop until WM_QUIT: shows the window first, then calls its
// idle step whenever the queue runs empty. Returns the exit code.
int RunMessageLoop(TFormMain& form);

}  // namespace quiltor
