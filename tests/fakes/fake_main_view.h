#pragma once
// The tool window as the main controller sees it, with no window behind it:
// it keeps the geometry it is given, records what it is asked to show, and
// answers message boxes and file dialogs from queues the test fills.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_windows.h"
#include "window/main_controller.h"
#include "window/main_view.h"

namespace quiltor::fakes {

class FakeMainView : public MainView {
 public:
  FakeMainView(FakeWindows& windows, MainController& controller)
      : windows_(windows), controller_(controller), window_(windows.Add("TFormMain", 1)),
        dummy_(windows.Add("Edit", 1, window_)) {}

  WindowId Window() override { return window_; }
  WindowId FocusHolder() override { return dummy_; }
  Rect WindowRect() override { return rect; }
  int Dpi() override { return dpi; }
  void MoveTo(Point p) override {
    const int h = rect.Height();
    rect = Rect{p.x, p.y, p.x + ScaleToDpi(kWindowWidth, dpi), p.y + h};
  }
  void SetHeight(int height) override {
    const int before = rect.Height();
    if (before != height) controller_.State().CanResize(before, height);
    rect.bottom = rect.top + height;
    controller_.State().Resized(height);
  }
  void AnimateHeight(int target) override {
    animations.push_back(target);
    controller_.State().SetAnimating(true);
    rect.bottom = rect.top + target;
    controller_.State().SetAnimating(false);
    controller_.State().Resized(target);
  }
  void SetVisible(bool shown) override { visible = shown; }
  bool Visible() override { return visible; }
  void Minimize() override { minimized = true; }
  void Close() override { closeAsked = true; }
  void ApplyTopmost(bool value) override { topmost = value; }
  void ShowTaskbarButton(bool show) override { taskbarButton = show; }
  void SetTitleActive(bool) override {}
  void ShowShrinkButton(bool) override {}
  void ReleaseMouseCapture() override {}
  void ShowToolBar(bool shown) override { toolBar = shown; }
  bool CursorOnSizeGrip() override { return cursorOnGrip; }
  void ShowProgress(bool) override {}
  void Render(ViewPart) override { ++renders; }
  void ShowPages() override { ++pageLoads; }
  void RefreshItemButtons() override {}
  void ShowActivePage(int page) override { activePage = page; }
  int PageScrollPosition(int) override { return 0; }
  int PageViewHeight(int) override { return 300; }
  void ScrollPage(int, int delta) override { scrolled += delta; }
  void MarkButton(int, int, int, bool) override {}
  void PressButton(int, int, int) override {}
  void ShowMainMenu() override {
    ++mainMenus;
    if (onMainMenu) onMainMenu();
  }
  void DropDown(CommandId id) override {
    dropDowns.push_back(id);
    if (onDropDown) onDropDown(id);
  }
  Answer ShowMessage(const UserMessage& message) override {
    messages.push_back(message);
    if (answers.empty()) return message.buttons == MessageButtons::kOk ? Answer::kOk : Answer::kNo;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void ShowDeliveryError(DeliveryStatus status, const std::vector<ClipboardFormatName>&) override {
    deliveryErrors.push_back(status);
  }
  std::optional<FileDialogResult> ChooseFile(const FileDialogRequest& request) override {
    fileDialogs.push_back(request);
    if (chosenFiles.empty()) return std::nullopt;
    const auto chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
  }
  void ShowAbout() override { ++abouts; }
  SetupOutcome ShowSetupDialog(const SetupRequest& request) override {
    setupFacts.push_back(request.facts);
    SetupOutcome outcome = setupOutcome;
    outcome.mainTopLeft = Point{rect.left, rect.top};
    if (editSetup) {
      outcome.edited = SetupCopy(request.settings, request.facts);
      editSetup(outcome.edited);
    }
    return outcome;
  }
  std::optional<Bytes> ChooseDataFile(const DataFileRequest&) override {
    ++dataFileDialogs;
    if (chosenDataFiles.empty()) return std::nullopt;
    const auto chosen = chosenDataFiles.front();
    chosenDataFiles.pop_front();
    return chosen;
  }
  bool OpenHelp(const Bytes&) override { return helpOpens; }
  void SetWatchTimer(bool running, std::uint32_t interval) override {
    timerRunning = running;
    if (running) timerInterval = interval;
  }
  void WakeIdleAfter(std::uint32_t) override {}
  // Each time the controller reads the window's messages while it waits.
  void ProcessPendingMessages() override {
    if (onPump) onPump();
  }
  std::function<void()> onPump;

  std::vector<MessageId> MessageIds() const {
    std::vector<MessageId> ids;
    for (const UserMessage& m : messages) ids.push_back(m.id);
    return ids;
  }

  Rect rect{0, 0, 275, 282};
  int dpi = kBaseDpi;
  bool visible = false;
  bool minimized = false;
  bool closeAsked = false;
  bool topmost = false;
  bool taskbarButton = true;
  bool toolBar = true;
  bool cursorOnGrip = false;
  bool helpOpens = true;
  bool timerRunning = false;
  std::uint32_t timerInterval = 0;
  int activePage = -1;
  int renders = 0;
  int pageLoads = 0;
  int scrolled = 0;
  int mainMenus = 0;
  int abouts = 0;
  int dataFileDialogs = 0;
  std::deque<std::optional<Bytes>> chosenDataFiles;
  SetupOutcome setupOutcome;
  std::function<void(SetupCopy&)> editSetup;
  std::vector<MainWindowFacts> setupFacts;
  std::function<void()> onMainMenu;
  std::function<void(CommandId)> onDropDown;
  std::vector<DeliveryStatus> deliveryErrors;
  std::vector<int> animations;
  std::vector<CommandId> dropDowns;
  std::vector<UserMessage> messages;
  std::deque<Answer> answers;
  std::vector<FileDialogRequest> fileDialogs;
  std::deque<std::optional<FileDialogResult>> chosenFiles;

 private:
  FakeWindows& windows_;
  MainController& controller_;
  WindowId window_;
  WindowId dummy_;
};

}  // namespace quiltor::fakes
