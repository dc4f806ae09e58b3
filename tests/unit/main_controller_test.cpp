// The tool window's behaviour without a window: the main controller driven
// through its commands, ticks and messages against fakes that behave like
// Windows, checked on what a user would notice (the settings file, which
// window gets written to, what the menus offer, the window's height).
#include "window/main_controller.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_files.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_main_view.h"
#include "fakes/fake_monitors.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_search_view.h"
#include "fakes/fake_shared_memory.h"
#include "fakes/fake_windows.h"
#include "settings/profile.h"

namespace quiltor {
namespace {

using fakes::FakeMainView;

constexpr char kFolder[] = "C:\\tool\\";
const Bytes kIniPath = Bytes(kFolder) + "Quiltor.ini";

// The system's hot keys; another program may hold some.
class FakeHotKeys : public HotKeys {
 public:
  bool Register(WindowId, int id, std::uint32_t, std::uint32_t) override {
    if (heldElsewhere.count(id) != 0) return false;
    registered.insert(id);
    return true;
  }
  void Unregister(WindowId, int id) override { registered.erase(id); }
  std::set<int> heldElsewhere;
  std::set<int> registered;
};

Bytes DataFile(const Bytes& title, int pages) {
  Bytes text = "[Version]\r\nNo=170\r\n[Group]\r\nTitle=" + title + "\r\nCount=" + std::to_string(pages) + "\r\n";
  for (int p = 0; p < pages; ++p) {
    const Bytes nn = p < 10 ? "0" + std::to_string(p) : std::to_string(p);
    text += "[Menu" + nn + "]\r\nTitle=P" + nn + "\r\nCount=1\r\nM00=00,item\r\n[Edit" + nn + "]\r\nM00a=<" + nn +
            ">\r\n";
  }
  return text;
}

class MainControllerTest : public ::testing::Test {
 protected:
  MainControllerTest() {
    // An editor started by the tool shows a top window with an edit control.
    processes.onStart = [this](std::uint32_t id, const Bytes& commandLine) {
      started.push_back(commandLine);
      if (!editorStarts) return;
      const WindowId top = windows.Add("Notepad", id);
      windows.AddEditor("Edit", id, top);
    };
  }

  void Start(const Bytes& ini, const std::vector<Bytes>& arguments = {}) {
    files.Put(kIniPath, ini);
    IniFile file(files, kIniPath);
    AppSettings settings = LoadSettings(file).settings;
    exchange.CreateExchangeBlock();
    exchange.StoreBufferSizes(1024, 1024);
    exchange.CreateTransferBuffers();
    controller = std::make_unique<MainController>(services, std::move(settings), ToolFolders{kFolder, kFolder});
    view = std::make_unique<FakeMainView>(windows, *controller);
    view->dpi = viewDpi;
    controller->AttachView(*view);
    controller->Start(arguments);
    view->visible = true;
    controller->FormShow();
  }
  // The first idle moment: the data file loads and the window stretches.
  void FinishStart() { controller->ApplicationEventsIdle(); }

  Bytes Key(const Bytes& section, const Bytes& key) {
    return IniDocument(files.Contents(kIniPath).value_or("")).Get(section, key, "<none>");
  }
  bool Run(CommandId id, std::size_t index = 0) { return controller->OnCommand(RangeId(id, index), 0, false); }

  // An editor window another program names with "/h": its top window and its edit control.
  std::pair<WindowId, WindowId> OutsideEditor(std::uint32_t process) {
    const WindowId top = windows.Add("Notepad", process);
    return {top, windows.AddEditor("Edit", process, top)};
  }
  void Forward(const Bytes& text) {
    controller->HandleForwardedCommandLine(kForwardMarker, text.c_str(), text.size() + 1);
  }

  fakes::FakeClipboard clipboard;
  fakes::FakeWindows windows{clipboard};
  fakes::FakeKeyboard keyboard;
  fakes::FakeProcesses processes;
  FakeFileSystem files;
  fakes::FakeSharedMemory memory;
  ExchangeArea exchange{memory};
  FakeHotKeys hotKeySystem;
  HotKeyRegistration hotKeys{hotKeySystem};
  fakes::FakeMonitors monitors;
  MainServices services{files, clipboard, windows, keyboard, processes, exchange, hotKeys, monitors};
  std::unique_ptr<MainController> controller;
  std::unique_ptr<FakeMainView> view;
  std::vector<Bytes> started;
  bool editorStarts = true;
  int viewDpi = kBaseDpi;
};

// ---- The command table --------------------------------------------------------

TEST_F(MainControllerTest, EveryCommandOfTheTableAndEveryKeyHasAHandler) {
  Start("");
  std::set<std::uint16_t> ids;
  for (const CommandInfo& info : kCommandTable) {
    EXPECT_TRUE(controller->Dispatcher().HasHandler(info.id)) << info.name;
    for (std::uint16_t i = 0; i < info.count; ++i) {
      EXPECT_TRUE(ids.insert(static_cast<std::uint16_t>(ToUint(info.id) + i)).second) << info.name << " overlaps";
    }
    EXPECT_EQ(FindCommandByName(info.name), info.id);
  }
  for (const KeyBinding& key : kKeyTable) EXPECT_TRUE(controller->Dispatcher().HasHandler(key.id));
  EXPECT_LT(*ids.rbegin(), kFirstPageItemId);
}

TEST_F(MainControllerTest, OnlyNotificationsThatMeanChosenRunACommand) {
  Start("");
  struct Case {
    unsigned id;
    unsigned code;
    bool fromControl;
    bool runs;
  };
  const Case cases[] = {
      {ToUint(CommandId::kAbout), 0, false, true},          // menu entry
      {ToUint(CommandId::kAbout), 1, false, true},          // accelerator
      {ToUint(CommandId::kAbout), 0, true, true},           // button click
      {ToUint(CommandId::kAbout), 0x0300, true, false},     // an edit's EN_CHANGE
      {ToUint(CommandId::kFileChosen), 7, true, false},     // a combo box dropping down
      {ToUint(CommandId::kFix), 0, false, false},           // title-strip buttons send none
      {kFirstPageItemId + 3, 0, false, false},              // a page's own button
  };
  for (const Case& c : cases) {
    const int before = view->abouts;
    EXPECT_EQ(controller->OnCommand(c.id, c.code, c.fromControl), c.runs) << c.id << " " << c.code;
    if (c.id == ToUint(CommandId::kAbout)) {
      EXPECT_EQ(view->abouts, before + (c.runs ? 1 : 0));
    }
  }
}

// ---- Mode and display options ---------------------------------------------------

TEST_F(MainControllerTest, ModeCommandTogglesWritesModeAtOnceAndSwitchesTheWatch) {
  Start("[Setup]\r\nTimer=100\r\nTimerEZ=2000\r\n");
  FinishStart();
  EXPECT_FALSE(controller->Linked());
  EXPECT_EQ(view->timerInterval, 2100u);
  EXPECT_TRUE(controller->FormShortCut(0x71));  // F2
  EXPECT_TRUE(controller->Linked());
  EXPECT_EQ(Key("Quiltor", "Mode"), "1");
  EXPECT_EQ(view->timerInterval, 100u);
  EXPECT_TRUE(controller->CommandChecked(CommandId::kModeSync));
  // The entry of the mode in force changes nothing.
  Run(CommandId::kModeSync);
  EXPECT_TRUE(controller->Linked());
  Run(CommandId::kModeEasy);
  EXPECT_FALSE(controller->Linked());
  EXPECT_EQ(Key("Quiltor", "Mode"), "0");
  EXPECT_EQ(view->timerInterval, 2100u);
}

TEST_F(MainControllerTest, DisplayOptionsFollowTheirRules) {
  Start("[Quiltor]\r\nStayOnTop=0\r\nHideIcon=1\r\n");
  // "アイコン非表示" is offered and in force only while the window stays on top.
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kDispHideIcon));
  EXPECT_TRUE(view->taskbarButton);
  Run(CommandId::kDispStayOnTop);
  EXPECT_TRUE(view->topmost);
  EXPECT_TRUE(controller->CommandEnabled(CommandId::kDispHideIcon));
  EXPECT_FALSE(view->taskbarButton);
  Run(CommandId::kDispStayOnTop);
  EXPECT_TRUE(view->taskbarButton);
  EXPECT_FALSE(view->topmost);
  // The window fix keeps it on top and locks the two options.
  controller->FormShortCut(0x72);  // F3
  EXPECT_TRUE(view->topmost);
  EXPECT_TRUE(controller->CommandChecked(CommandId::kFix));
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kDispAutoSmall));
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kDispStayOnTop));
  // The options the user chose are what the file keeps.
  Run(CommandId::kDispToolBar);
  controller->FormClose(view->rect);
  EXPECT_EQ(Key("Quiltor", "ToolBar"), "0");
  EXPECT_EQ(Key("Quiltor", "StayOnTop"), "0");
  EXPECT_EQ(Key("Quiltor", "HideIcon"), "1");
}

TEST_F(MainControllerTest, HotKeysLetGoOfTheirOwnKeysOnly) {
  Start("[Setup]\r\nHotKeyR=1\r\nHotKeyR1=2\r\nHotKeyR2=Q\r\nHotKeyA=1\r\nHotKeyA1=5\r\nHotKeyA2=A\r\n");
  keyboard.ClearEvents();
  controller->OnHotKey(kHotKeyActivate);
  std::vector<int> released;
  for (const KeyEvent& e : keyboard.Events()) released.push_back(e.up ? e.vk : -e.vk);
  EXPECT_EQ(released, (std::vector<int>{'A', 0x12, 0x10}));  // A, Alt, Shift; no Ctrl, no Q
  EXPECT_EQ(windows.Foreground(), view->Window());
}

// ---- Start and end ------------------------------------------------------------

TEST_F(MainControllerTest, HandEditedHeightsAndTimersStayUsable) {
  files.Put(Bytes(kFolder) + "d.edt", DataFile("D", 2));
  Start("[Setup]\r\nMinHeight=0\r\nMaxHeight=-5\r\nTimer=0\r\n[Quiltor]\r\nQuiltorData=d.edt\r\nActivePage=1\r\n");
  FinishStart();
  EXPECT_EQ(controller->Pages().size(), 2u) << "the data file loads although MinHeight was 0";
  EXPECT_EQ(controller->ActivePage(), 1);
  EXPECT_EQ(controller->State().ShrinkHeight(), 38);
  EXPECT_EQ(view->timerInterval, 10u + 2000u);
}

// A newer library beside the program than in the system folder is offered;
// when Windows refuses the change (a user who is no administrator) the tool
// says why, and does not ask again at every start for that library.
TEST_F(MainControllerTest, ARefusedLibraryChangeIsExplainedAndNotOfferedAtEveryStart) {
  const Bytes system = "C:\\windows\\system32\\";
  files.SetSystemFolder(system);
  files.Put(system + "Quiltor.dll", "old");
  files.SetWriteTime(system + "Quiltor.dll", 5);
  files.Put(Bytes(kFolder) + "Quiltor.dll", "new");
  files.SetWriteTime(Bytes(kFolder) + "Quiltor.dll", 9);
  files.ProtectFolder(system);
  Start("");
  EXPECT_EQ(view->MessageIds(), (std::vector<MessageId>{MessageId::kOldLibrary, MessageId::kLibraryNeedsAdmin}));
  EXPECT_EQ(view->messages.back().subject, system + "Quiltor.dll");
  EXPECT_EQ(Key("Quiltor", "LibraryRefused"), "9");

  Start(*files.Contents(kIniPath));
  EXPECT_TRUE(view->MessageIds().empty());
  files.SetWriteTime(Bytes(kFolder) + "Quiltor.dll", 12);  // a newer library asks again
  Start(*files.Contents(kIniPath));
  EXPECT_EQ(view->MessageIds(), (std::vector<MessageId>{MessageId::kOldLibrary, MessageId::kLibraryNeedsAdmin}));
}

TEST_F(MainControllerTest, AHandEditedActivePageOutOfRangeStillLetsTheStartUpLoad) {
  files.Put(Bytes(kFolder) + "d.edt", DataFile("D", 3));
  for (const char* page : {"-3800", "2147483647", "-1"}) {
    Start(Bytes("[Quiltor]\r\nQuiltorData=d.edt\r\nActivePage=") + page + "\r\n");
    FinishStart();
    EXPECT_EQ(controller->Pages().size(), 3u) << page;
    EXPECT_EQ(controller->State().StartupPending(), 0) << page;
    EXPECT_TRUE(view->timerRunning) << page;
  }
}

TEST_F(MainControllerTest, ClosingSavesTheRestoredRectangleAndBothHistories) {
  files.Put(Bytes(kFolder) + "a.edt", DataFile("A", 1));
  files.Put(Bytes(kFolder) + "b.edt", DataFile("", 1));
  Start(
      "[Setup]\r\nOpenFiles=4\r\n[Quiltor]\r\nQuiltorData=a.edt\r\nQuiltorData0=b.edt\r\nQuiltorData1=gone.edt\r\n"
      "OpenFile0=C:\\x.txt\r\nOpenFile1=\r\nOpenFile2=C:\\y.txt\r\n");
  FinishStart();
  ASSERT_EQ(controller->RecentData().Items().size(), 2u);
  EXPECT_EQ(controller->RecentData().Items()[0], (RecentDataItem{"A", "a.edt"}));
  EXPECT_FALSE(controller->RecentData().Enabled(0));
  EXPECT_EQ(controller->RecentData().Items()[1], (RecentDataItem{"b.edt", "b.edt"}));  // no title: its path
  controller->FormClose(Rect{40, 50, 315, 410});
  EXPECT_EQ(Key("Quiltor", "Left"), "40");
  EXPECT_EQ(Key("Quiltor", "Top"), "50");
  EXPECT_EQ(Key("Quiltor", "Height"), "360");
  EXPECT_EQ(Key("Quiltor", "OpenFile0"), "C:\\x.txt");
  EXPECT_EQ(Key("Quiltor", "OpenFile1"), "C:\\y.txt");
  EXPECT_EQ(Key("Quiltor", "OpenFile3"), "");
  EXPECT_EQ(Key("Quiltor", "OpenFile4"), "<none>");
  EXPECT_EQ(Key("Quiltor", "QuiltorData0"), "a.edt");
  EXPECT_EQ(Key("Quiltor", "QuiltorData1"), "b.edt");
  EXPECT_EQ(Key("Quiltor", "QuiltorData2"), "");
}

// On a monitor at 150 % the window is half as large again; the settings, the
// settings dialog and the file keep 96-dpi units.
TEST_F(MainControllerTest, AtOneAndAHalfTimesTheDpiTheWindowGrowsAndTheSettingsKeepUnits) {
  files.Put(Bytes(kFolder) + "d.edt", DataFile("D", 2));
  viewDpi = 144;
  Start("[Setup]\r\nMinHeight=60\r\nMaxHeight=400\r\n[Quiltor]\r\nHeight=300\r\nLeft=100\r\nTop=100\r\n"
        "QuiltorData=d.edt\r\n");
  EXPECT_EQ(view->rect.Width(), 413);
  EXPECT_EQ(view->rect.Height(), 57) << "the strip while the data file loads";
  FinishStart();
  EXPECT_EQ(view->rect.Height(), 450);
  EXPECT_TRUE(controller->FormMouseWheel({200, 300}, 120, 69));
  EXPECT_EQ(view->scrolled, -60) << "three rows, whatever their height in pixels";
  controller->RunCommand(CommandId::kShrink);
  EXPECT_EQ(view->rect.Height(), 90);
  Run(CommandId::kSetup);
  ASSERT_EQ(view->setupFacts.size(), 1u);
  EXPECT_EQ(view->setupFacts[0].shrinkHeight, 60);
  EXPECT_EQ(view->setupFacts[0].maxHeight, 400);
  controller->RunCommand(CommandId::kStretch);
  controller->FormClose(view->rect);
  EXPECT_EQ(Key("Quiltor", "Height"), "300");
}

// The place the user dragged the window to on a second monitor is where the
// next start shows it; when that monitor is gone by then, the window comes
// to the nearest edge of one that is there. "/L" and "/T" stay unclamped.
TEST_F(MainControllerTest, ThePlaceOnASecondMonitorSurvivesARestartUntilTheMonitorIsGone) {
  const Rect right{1280, -200, 2560, 824};
  monitors.Add(MonitorArea{right, right, false});
  Start("");
  controller->ImageTitle1MouseDown({100, 5});
  controller->ImageTitle1MouseMove({1300, 5});   // onto the second monitor: at its left edge
  controller->ImageTitle1MouseMove({1700, -150});
  controller->ImageTitle1MouseUp();
  EXPECT_EQ((Point{view->rect.left, view->rect.top}), (Point{1680, -155}));
  controller->FormClose(view->rect);

  Start(files.Contents(kIniPath).value_or(""));
  EXPECT_EQ((Point{view->rect.left, view->rect.top}), (Point{1680, -155}));
  controller->FormClose(view->rect);

  monitors.Remove(right);
  Start(files.Contents(kIniPath).value_or(""));
  EXPECT_EQ((Point{view->rect.left, view->rect.top}), (Point{1280 - 275, 0}));
  Start(files.Contents(kIniPath).value_or(""), {"/L3000", "/T-100"});
  EXPECT_EQ((Point{view->rect.left, view->rect.top}), (Point{3000, -100}));
}

TEST_F(MainControllerTest, ClosedWhileShrunkTheFullHeightIsSavedAndStretchesAtTheNextStart) {
  struct Case {
    const char* how;
    Bytes ini;
  };
  const Case cases[] = {{"by the shrink button", "[Quiltor]\r\nHeight=360\r\n"},
                        {"by the automatic shrink", "[Quiltor]\r\nHeight=360\r\nAutoSmall=1\r\n"},
                        {"to a MinHeight of 60", "[Setup]\r\nMinHeight=60\r\n[Quiltor]\r\nHeight=360\r\n"}};
  for (const Case& c : cases) {
    Start(c.ini);
    FinishStart();
    if (controller->Options().autoSmall) {
      controller->OnActivateApp(false);
    } else {
      controller->RunCommand(CommandId::kShrink);
    }
    ASSERT_EQ(view->rect.Height(), controller->State().ShrinkHeight()) << c.how;
    controller->FormClose(view->rect);
    EXPECT_EQ(Key("Quiltor", "Height"), "360") << c.how;
    Start(*files.Contents(kIniPath));
    FinishStart();
    EXPECT_EQ(view->rect.Height(), 360) << c.how;
  }
}

// A file written while shrunk by an older build, or edited by hand.
TEST_F(MainControllerTest, ASavedHeightNoGreaterThanTheShrunkOneOpensAtTheDefaultHeight) {
  struct Case {
    Bytes ini;
    int shrunk;
  };
  const Case cases[] = {{"[Quiltor]\r\nHeight=38\r\n", 38},
                        {"[Setup]\r\nMinHeight=60\r\n[Quiltor]\r\nHeight=60\r\n", 60},
                        {"[Quiltor]\r\nHeight=-5\r\n", 38},
                        {"[Setup]\r\nMinHeight=300\r\nMaxHeight=400\r\n[Quiltor]\r\nHeight=290\r\n", 300}};
  for (const Case& c : cases) {
    Start(c.ini);
    FinishStart();
    const int full = c.shrunk < 282 ? 282 : 430;  // past a MinHeight of 300, the greatest height allowed
    EXPECT_EQ(view->rect.Height(), full) << c.ini;
    controller->RunCommand(CommandId::kShrink);
    EXPECT_EQ(view->rect.Height(), c.shrunk) << c.ini;
    controller->RunCommand(CommandId::kStretch);
    EXPECT_EQ(view->rect.Height(), full) << c.ini << ": stretch brings it back";
  }
}

// The window comes back after a module that hid it; whatever the system did
// to the task-bar button meanwhile, the hide-icon option is in force again.
TEST_F(MainControllerTest, AWindowShownAgainAfterAModuleHidesItsTaskbarButtonAgain) {
  files.Put(Bytes(kFolder) + "d.edt",
            "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nTitle=P\r\nCount=1\r\nM00=10,hidden\r\n"
            "[Edit00]\r\nM00a=mod.exe\r\nM00b=\r\n");
  files.Put(Bytes(kFolder) + "mod.exe", "MZ");
  Start("[Quiltor]\r\nQuiltorData=d.edt\r\nStayOnTop=1\r\nHideIcon=1\r\n");
  FinishStart();
  ASSERT_FALSE(view->taskbarButton);
  view->taskbarButton = true;  // as the system may give a window shown again
  controller->ChooseItem(ItemName::Main(0, 0));
  ASSERT_EQ(processes.ShellOpened().size(), 1u) << "the module ran";
  EXPECT_TRUE(view->visible);
  EXPECT_FALSE(view->taskbarButton);
}

TEST_F(MainControllerTest, NoTickRunsWhileTheMainMenuIsOpen) {
  Start("");
  FinishStart();
  ASSERT_TRUE(view->timerRunning);
  bool runningWhileOpen = true;
  view->onMainMenu = [&] { runningWhileOpen = view->timerRunning; };
  controller->RunCommand(CommandId::kSystemMenu);  // a click on the title icon, as F1
  EXPECT_FALSE(runningWhileOpen);
  EXPECT_TRUE(view->timerRunning);
}

TEST_F(MainControllerTest, ALoadedDataFileReplacesEverythingOfThePreviousOne) {
  files.Put(Bytes(kFolder) + "a.edt", DataFile("A", 3));
  files.Put(Bytes(kFolder) + "none.edt", DataFile("None", 0));
  Start("[Quiltor]\r\nQuiltorData=a.edt\r\n");
  FinishStart();
  ASSERT_EQ(controller->Pages().size(), 3u);
  view->chosenDataFiles = {Bytes("none.edt")};
  Run(CommandId::kLoomwork);
  EXPECT_TRUE(controller->Pages().empty()) << "Count=0: no pages";
  EXPECT_TRUE(view->messages.empty()) << "and no message";
  EXPECT_EQ(controller->ActivePage(), -1);
  EXPECT_FALSE(FindItemImage(controller->Pages(), ItemName::Main(0, 0)));
}

// The component chosen last belongs to the pages it was chosen on: another
// file's item under the same name is another item, whatever its kind.
TEST_F(MainControllerTest, ReEditAfterAnotherDataFileWasLoadedDoesNothing) {
  const Bytes page = "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nTitle=P\r\nCount=2\r\n";
  files.Put(Bytes(kFolder) + "a.edt",
            page + "M00=00,text\r\nM01=07,module\r\n[Edit00]\r\nM00a=<a>\r\nM01a=mod.exe\r\nM01b=\r\n");
  files.Put(Bytes(kFolder) + "b.edt",
            page + "M00=00,text\r\nM01=00,text\r\n[Edit00]\r\nM00a=<b>\r\nM01a=other.exe\r\n");
  files.Put(Bytes(kFolder) + "mod.exe", "MZ");
  files.Put(Bytes(kFolder) + "other.exe", "MZ");
  Start("[Quiltor]\r\nQuiltorData=a.edt\r\n");
  FinishStart();
  controller->ChooseItem(ItemName::Main(0, 0));  // a text: re-edit is offered
  controller->ApplicationEventsIdle();
  controller->ChooseItem(ItemName::Main(0, 1));  // a module, chosen last
  controller->ApplicationEventsIdle();
  ASSERT_EQ(processes.ShellOpened(), std::vector<Bytes>{Bytes(kFolder) + "mod.exe"});
  ASSERT_TRUE(controller->CommandEnabled(CommandId::kRepeat));
  view->chosenDataFiles = {Bytes("b.edt")};
  Run(CommandId::kLoomwork);
  ASSERT_EQ(controller->DataFilePath(), "b.edt");
  const std::size_t messages = view->messages.size();
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kRepeat));
  controller->Items().Popup_RepeatClick();  // past the command, which is off
  EXPECT_EQ(processes.ShellOpened().size(), 1u) << "b.edt's text taken as a module program";
  EXPECT_EQ(view->messages.size(), messages);
  EXPECT_FALSE(controller->Items().HasLastItem());
}

// ---- A second start's command line ----------------------------------------------

TEST_F(MainControllerTest, ForwardedDataFileSwapKeepsTheHeightsOfAutomaticShrink) {
  files.Put(Bytes(kFolder) + "a.edt", DataFile("A", 1));
  files.Put(Bytes(kFolder) + "other.edt", DataFile("Other", 3));
  Start("[Setup]\r\nMinHeight=60\r\n[Quiltor]\r\nQuiltorData=a.edt\r\nHeight=360\r\nAutoSmall=1\r\n");
  FinishStart();
  ASSERT_EQ(view->rect.Height(), 360);
  Forward("/dother.edt\n");
  EXPECT_EQ(controller->Pages().size(), 3u);
  EXPECT_EQ(view->rect.Height(), 360) << "not a strip, not an animation step";
  EXPECT_EQ(controller->State().SavedFullHeight(), 0);
  EXPECT_EQ(controller->State().ShrinkHeight(), 60);
  EXPECT_EQ(controller->RecentData().Items()[0].path, "other.edt");
  // Shrunk by the automatic shrink, the window comes back to its full height.
  controller->OnActivateApp(false);
  ASSERT_EQ(view->rect.Height(), 60);
  Forward("/dother.edt\n");
  EXPECT_EQ(view->rect.Height(), 360);
  EXPECT_EQ(controller->State().ShrinkHeight(), 60);
}

TEST_F(MainControllerTest, ForwardedLinkListsTheWindowOnceAndNegativeHandlesNameNone) {
  Start("");
  FinishStart();
  const auto [top, edit] = OutsideEditor(77);
  Forward("/h" + std::to_string(edit) + "\n/fC:\\doc\\a.txt\n");
  EXPECT_TRUE(controller->Linked());
  ASSERT_EQ(controller->Session().Entries().size(), 1u);
  EXPECT_EQ(controller->Session().Entries()[0].Text(), "*C:\\doc\\a.txt");
  EXPECT_EQ(controller->Session().LinkedTargetWindow(), top);
  EXPECT_EQ(exchange.CurrentFile(), "C:\\doc\\a.txt");
  EXPECT_EQ(controller->History().Paths(), std::vector<Bytes>{"C:\\doc\\a.txt"});
  Forward("/h" + std::to_string(edit) + "\n/fC:\\doc\\a.txt\n");
  EXPECT_EQ(controller->Session().Entries().size(), 1u);
  Forward("/h-1\n/fC:\\b.txt\n");
  EXPECT_EQ(controller->Session().Entries().size(), 1u);
  EXPECT_TRUE(view->messages.empty()) << "a negative handle is no error";
  Forward("/hxyz\n");
  ASSERT_EQ(view->MessageIds(), std::vector<MessageId>{MessageId::kNotInteger});
}

TEST_F(MainControllerTest, AWindowHandedAtStartWithoutAFileIsLinkedAndTheHistoryStays) {
  const auto [top, edit] = OutsideEditor(77);
  Start("[Setup]\r\nOpenFiles=2\r\n[Quiltor]\r\nOpenFile0=C:\\x.txt\r\nOpenFile1=C:\\y.txt\r\n",
        {"/h" + std::to_string(edit)});
  FinishStart();
  EXPECT_TRUE(controller->Linked());
  EXPECT_EQ(controller->Session().LinkedEditWindow(), edit);
  EXPECT_EQ(controller->Session().LinkedTargetWindow(), top);
  EXPECT_EQ(controller->History().Paths(), (std::vector<Bytes>{"C:\\x.txt", "C:\\y.txt"}));
  controller->FormClose(view->rect);
  EXPECT_EQ(Key("Quiltor", "OpenFile0"), "C:\\x.txt");
  EXPECT_EQ(Key("Quiltor", "OpenFile1"), "C:\\y.txt");
}

// ---- Linked mode ---------------------------------------------------------------

const Bytes kLinkedIni =
    "[Setup]\r\nEditerPath=C:\\ed\\notepad.exe\r\nClassName1=Notepad\r\nClassName2=Edit\r\n"
    "ExecProgram0=C:\\tools\\view.exe\r\nExecParam0=-x %f\r\nExecCaption0=View\r\n"
    "FileFilter=All|*.*||Text|*.txt||\r\nFileFilterC=11\r\nCloseMode=1\r\n[Quiltor]\r\nMode=1\r\n";

class LinkedModeTest : public MainControllerTest {
 protected:
  void SetUp() override {
    files.Put("C:\\ed\\notepad.exe", "MZ");
    files.Put("C:\\doc\\a.txt", "a");
    Start(kLinkedIni);
    FinishStart();
  }
  void OpenByDialog(const Bytes& path, int filterIndex = 1) {
    view->chosenFiles.push_back(FileDialogResult{path, filterIndex});
    Run(CommandId::kOpen);
  }
  fakes::CallLog log;
};

TEST_F(LinkedModeTest, OpeningStartsTheEditorListsTheFileAndPublishesIt) {
  EXPECT_TRUE(controller->CommandEnabled(CommandId::kOpen));
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kClose)) << "nothing open yet";
  OpenByDialog("C:\\doc\\a.txt");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], "\"C:\\ed\\notepad.exe\" \"C:\\doc\\a.txt\"");
  ASSERT_EQ(controller->Session().Entries().size(), 1u);
  EXPECT_EQ(controller->Session().Entries()[0].Text(), " C:\\doc\\a.txt");
  EXPECT_EQ(windows.ClassName(controller->Session().LinkedEditWindow()), "Edit");
  EXPECT_EQ(controller->History().Paths().front(), "C:\\doc\\a.txt");
  EXPECT_EQ(exchange.CurrentFile(), "C:\\doc\\a.txt");
  EXPECT_TRUE(controller->CommandEnabled(CommandId::kClose));
  EXPECT_TRUE(controller->CommandEnabled(CommandId::kCloseAll));
  EXPECT_EQ(view->fileDialogs.back().initialFolder, "C:\\tool") << "no current file yet: the program's folder";
  OpenByDialog("C:\\doc\\a.txt");
  EXPECT_EQ(view->fileDialogs.back().initialFolder, "C:\\doc");
  EXPECT_EQ(controller->Session().Entries().size(), 2u) << "one entry per editor window";
  EXPECT_EQ(controller->History().Paths().size(), 1u);
}

TEST_F(LinkedModeTest, NewTakesTheFilterExtensionAndAsksBeforeOpeningAnExistingFile) {
  view->chosenFiles = {FileDialogResult{"C:\\doc\\memo", 2}};
  Run(CommandId::kNew);
  EXPECT_EQ(controller->Session().CurrentFile(), "C:\\doc\\memo.txt");
  EXPECT_FALSE(files.Exists("C:\\doc\\memo.txt")) << "MakeNew is off";
  // An existing name: No shows the dialog again, Yes opens it unchanged.
  view->chosenFiles = {FileDialogResult{"C:\\doc\\a", 2}, FileDialogResult{"C:\\doc\\a.txt", 1}};
  view->answers = {Answer::kNo, Answer::kYes};
  Run(CommandId::kNew);
  EXPECT_EQ(view->fileDialogs.size(), 3u);
  EXPECT_EQ(view->MessageIds(), (std::vector<MessageId>{MessageId::kFileExists, MessageId::kFileExists}));
  EXPECT_EQ(view->messages[0].subject, "a.txt");
  EXPECT_EQ(controller->Session().CurrentFile(), "C:\\doc\\a.txt");
  EXPECT_EQ(*files.Contents("C:\\doc\\a.txt"), "a");
  // One dialog for new and open: each showing has the title of its command
  // and the filter chosen in the showing before, a cancelled one leaving it.
  OpenByDialog("C:\\doc\\a.txt", 2);
  view->chosenFiles = {std::nullopt};
  Run(CommandId::kNew);
  OpenByDialog("C:\\doc\\a.txt", 1);
  std::vector<std::pair<bool, int>> shown;
  for (const FileDialogRequest& request : view->fileDialogs) shown.emplace_back(request.forNew, request.filterIndex);
  EXPECT_EQ(shown, (std::vector<std::pair<bool, int>>{{true, 1}, {true, 2}, {true, 2}, {false, 1}, {true, 2}, {false, 2}}));
}

TEST_F(LinkedModeTest, AVanishedHistoryFileIsCreatedOnlyWhenTheUserSaysYes) {
  OpenByDialog("C:\\doc\\gone.txt");
  Run(CommandId::kCloseAll);
  const std::size_t startedBefore = started.size();
  Run(CommandId::kOpenHistory, 0);  // the user says No (the default answer)
  EXPECT_EQ(view->MessageIds(), std::vector<MessageId>{MessageId::kFileMissingCreate});
  EXPECT_EQ(started.size(), startedBefore);
  EXPECT_EQ(controller->History().Paths(), std::vector<Bytes>{"C:\\doc\\gone.txt"});
  EXPECT_TRUE(view->timerRunning);
  view->answers = {Answer::kYes};
  Run(CommandId::kOpenHistory, 0);
  EXPECT_EQ(files.Contents("C:\\doc\\gone.txt"), Bytes());
  EXPECT_EQ(started.size(), startedBefore + 1);
}

TEST_F(LinkedModeTest, CloseModesAndCloseAllNewestFirst) {
  const auto [outsideTop, outsideEdit] = OutsideEditor(70);
  OpenByDialog("C:\\doc\\one.txt");
  Forward("/h" + std::to_string(outsideEdit) + "\n/fC:\\doc\\outside.txt\n");
  OpenByDialog("C:\\doc\\two.txt");
  ASSERT_EQ(controller->Session().Entries().size(), 3u);
  const WindowId twoTop = controller->Session().LinkedTargetWindow();
  const WindowId oneTop = controller->Session().EntryTopWindow(controller->Session().Entries()[2]);
  windows.afterMessage = [this](WindowId id, std::uint32_t message) {
    if (message == kWmClose) log.Add("Close " + std::to_string(id));
  };
  // Close mode 1: the file registered from outside stays open in its editor.
  Run(CommandId::kCloseAll);
  EXPECT_EQ(log.Matching("Close "), (std::vector<std::string>{"Close " + std::to_string(twoTop),
                                                              "Close " + std::to_string(oneTop)}));
  EXPECT_TRUE(windows.IsWindow(outsideTop));
  EXPECT_TRUE(controller->Session().Entries().empty());
  EXPECT_EQ(exchange.CurrentFile(), "");
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kCloseAll));
}

// While an editor asks whether to save, the tool handles its messages; a
// link forwarded then adds an entry at the top and makes it current.
TEST_F(LinkedModeTest, ALinkForwardedWhileAnEditorAsksToSaveLeavesTheOtherEntriesAlone) {
  auto linkDuringClose = [this](WindowId closing, const Bytes& path) {
    const WindowId edit = OutsideEditor(static_cast<std::uint32_t>(80 + path.size())).second;
    windows.afterMessage = [this, closing, edit, path](WindowId id, std::uint32_t message) {
      if (message != kWmClose || id != closing) return;
      Forward("/h" + std::to_string(edit) + "\n/f" + path + "\n");
    };
    return edit;
  };
  auto texts = [this] {
    std::vector<Bytes> shown;
    for (const OpenFileEntry& e : controller->Session().Entries()) shown.push_back(e.Text());
    return shown;
  };
  auto topOf = [this](std::size_t index) {
    return controller->Session().EntryTopWindow(controller->Session().Entries()[index]);
  };
  OpenByDialog("C:\\doc\\one.txt");
  OpenByDialog("C:\\doc\\two.txt");
  // A file of the close menu that is not current.
  WindowId linked = linkDuringClose(topOf(1), "C:\\x\\a.txt");
  Run(CommandId::kCloseFile, 1);
  EXPECT_EQ(texts(), (std::vector<Bytes>{"*C:\\x\\a.txt", " C:\\doc\\two.txt"}));
  EXPECT_EQ(controller->Session().LinkedEditWindow(), linked);
  // The current file.
  controller->RunCommand(CommandId::kFileChosen, 1);
  linked = linkDuringClose(topOf(1), "C:\\x\\b.txt");
  Run(CommandId::kClose);
  EXPECT_EQ(texts(), (std::vector<Bytes>{"*C:\\x\\b.txt", "*C:\\x\\a.txt"}));
  EXPECT_EQ(controller->Session().LinkedEditWindow(), linked) << "the file linked meanwhile stays current";
  EXPECT_EQ(exchange.CurrentFile(), "C:\\x\\b.txt");
  // Every file: the one linked meanwhile stays listed, with its editor.
  OpenByDialog("C:\\doc\\three.txt");
  linked = linkDuringClose(topOf(0), "C:\\x\\c.txt");
  Run(CommandId::kCloseAll);
  EXPECT_EQ(texts(), std::vector<Bytes>{"*C:\\x\\c.txt"});
  EXPECT_EQ(controller->Session().LinkedEditWindow(), linked);
  EXPECT_EQ(exchange.CurrentFile(), "C:\\x\\c.txt");
}

TEST_F(LinkedModeTest, AHungEditorIsNotWaitedForWhenItsFileIsClosed) {
  OpenByDialog("C:\\doc\\one.txt");
  const WindowId top = controller->Session().LinkedTargetWindow();
  windows.Get(top).hung = true;
  Run(CommandId::kClose);
  EXPECT_EQ(view->MessageIds(), std::vector<MessageId>{MessageId::kEditorNotAnswering});
  EXPECT_TRUE(windows.IsWindow(top)) << "no WM_CLOSE reached it";
  EXPECT_TRUE(controller->Session().Entries().empty()) << "the entry goes all the same";
  EXPECT_TRUE(view->timerRunning);
}

// While an editor asks whether to save, the tool keeps reading its messages
// (hot keys, other programs' questions) but runs no command, and a close of
// the tool itself waits until the answer came.
TEST_F(LinkedModeTest, WhileAnEditorAsksTheToolReadsItsMessagesButRunsNoCommand) {
  for (bool closes : {false, true}) {
    SCOPED_TRACE(closes ? "the user lets it close" : "the user cancels");
    OpenByDialog("C:\\doc\\one.txt");
    const WindowId top = controller->Session().LinkedTargetWindow();
    windows.Get(top).asksOnClose = true;
    view->closeAsked = false;
    int pumps = 0;
    view->onPump = [&] {
      if (++pumps != 3) return;
      EXPECT_TRUE(controller->WaitingOnOtherProgram());
      EXPECT_FALSE(controller->Idle());
      Run(CommandId::kCloseAll);
      EXPECT_EQ(controller->Session().Entries().size(), 1u) << "no command runs meanwhile";
      controller->CloseWhenWaitEnds();
      EXPECT_FALSE(view->closeAsked);
      windows.AnswerQuestion(top, closes);
    };
    Run(CommandId::kClose);
    view->onPump = nullptr;
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(windows.IsWindow(top), !closes);
    EXPECT_TRUE(controller->Session().Entries().empty());
    EXPECT_TRUE(view->MessageIds().empty()) << "an editor that asks is not one that hangs";
    EXPECT_FALSE(controller->WaitingOnOtherProgram());
    EXPECT_TRUE(view->closeAsked) << "the tool closes once the wait is over";
  }
}

TEST_F(LinkedModeTest, AnEditorClosedByHandIsPrunedAtTheNextTick) {
  OpenByDialog("C:\\doc\\one.txt");
  OpenByDialog("C:\\doc\\two.txt");
  const WindowId current = controller->Session().LinkedTargetWindow();
  windows.Remove(current);
  controller->OnWatchTimer();
  EXPECT_EQ(controller->Session().Entries().size(), 1u);
  EXPECT_FALSE(controller->CommandEnabled(CommandId::kClose));
  EXPECT_TRUE(controller->CommandEnabled(CommandId::kCloseAll)) << "another file is still open";
  EXPECT_EQ(exchange.CurrentFile(), "C:\\doc\\two.txt") << "the field keeps the last path";
  EXPECT_EQ(controller->Session().LabelText(), "");
}

TEST_F(LinkedModeTest, NoTickRunsWhileADropDownMenuIsOpen) {
  OpenByDialog("C:\\doc\\one.txt");
  OpenByDialog("C:\\doc\\two.txt");
  const WindowId one = controller->Session().EntryTopWindow(controller->Session().Entries()[1]);
  std::vector<CommandId> openWithTimer;
  view->onDropDown = [&](CommandId id) {
    if (view->timerRunning) openWithTimer.push_back(id);
    // The user closes an editor by hand while the close menu lists it.
    if (id == CommandId::kClose && windows.IsWindow(one)) {
      windows.Remove(one);
      controller->OnWatchTimer();
      EXPECT_EQ(controller->Session().Entries().size(), 2u) << "the menu's entries stay as shown";
    }
  };
  for (CommandId id : {CommandId::kOpen, CommandId::kClose, CommandId::kExec, CommandId::kLoomwork}) {
    controller->ShowDropDown(id);
    EXPECT_TRUE(view->timerRunning);
  }
  controller->FormShortCut(0x78);  // F9: the recent data files
  EXPECT_TRUE(openWithTimer.empty());
  EXPECT_EQ(view->dropDowns.size(), 5u);
  controller->OnWatchTimer();
  EXPECT_EQ(controller->Session().Entries().size(), 1u) << "the next tick after the menu prunes";
}

TEST_F(LinkedModeTest, AutomaticSwitchingFollowsTheEditorTheUserClicks) {
  OpenByDialog("C:\\doc\\one.txt");
  const WindowId oneTop = controller->Session().LinkedTargetWindow();
  OpenByDialog("C:\\doc\\two.txt");
  windows.SetForeground(oneTop);
  controller->OnWatchTimer();
  EXPECT_EQ(controller->Session().CurrentFile(), "C:\\doc\\one.txt");
  EXPECT_EQ(exchange.CurrentFile(), "C:\\doc\\one.txt");
  // Manual switching: only the combo box changes the current file.
  view->setupOutcome.ok = true;
  view->editSetup = [](SetupCopy& copy) { copy.changeMode = 0; };
  Run(CommandId::kSetup);
  const WindowId twoTop = controller->Session().EntryTopWindow(controller->Session().Entries()[0]);
  windows.SetForeground(twoTop);
  controller->OnWatchTimer();
  EXPECT_EQ(controller->Session().CurrentFile(), "C:\\doc\\one.txt");
  controller->RunCommand(CommandId::kFileChosen, 0);
  EXPECT_EQ(controller->Session().CurrentFile(), "C:\\doc\\two.txt");
}

TEST_F(LinkedModeTest, RunningTheCurrentFileWithTheDefaultOrAListedProgram) {
  OpenByDialog("C:\\doc\\a b.txt");
  EXPECT_EQ(controller->ExecDefault(), DefaultProgram::Associated());
  Run(CommandId::kExec);  // ProgramNo 0: the associated program
  EXPECT_EQ(processes.ShellOpened().size(), 0u) << "the file does not exist";
  EXPECT_EQ(view->MessageIds().back(), MessageId::kRunFailed);
  Run(CommandId::kExecProgram, 0);
  EXPECT_EQ(started.back(), "\"C:\\tools\\view.exe\" -x \"C:\\doc\\a b.txt\"");
  EXPECT_EQ(controller->ExecDefault(), DefaultProgram::Associated()) << "running another program leaves the default";
}

// ---- Dialogs of the main menu ------------------------------------------------

TEST_F(MainControllerTest, SetupOkAppliesAtOnceAndTheHistoryIsTrimmedWhateverTheOutcome) {
  Bytes ini = "[Setup]\r\nOpenFiles=10\r\n[Quiltor]\r\n";
  for (int i = 0; i < 8; ++i) ini += "OpenFile" + std::to_string(i) + "=C:\\f" + std::to_string(i) + ".txt\r\n";
  Start(ini);
  FinishStart();
  ASSERT_EQ(controller->History().Paths().size(), 8u);
  // Cancel changes nothing but still trims to the limit in force.
  view->setupOutcome.ok = false;
  Run(CommandId::kSetup);
  EXPECT_EQ(controller->History().Paths().size(), 8u);
  EXPECT_TRUE(view->visible);
  // OK with new values: they take effect in the running tool at once.
  view->setupOutcome.ok = true;
  view->editSetup = [](SetupCopy& copy) {
    copy.openFiles = 5;
    copy.timer = 200;
    copy.timerEZ = 300;
    copy.bufSize1 = 2048;
    copy.minHeight = 50;
  };
  Run(CommandId::kSetup);
  EXPECT_EQ(controller->History().Paths().size(), 5u);
  EXPECT_EQ(Key("Quiltor", "OpenFile5"), "<none>");
  EXPECT_EQ(Key("Setup", "Timer"), "200");
  EXPECT_EQ(view->timerInterval, 500u);
  EXPECT_EQ(exchange.BufSize1(), 2048u);
  EXPECT_EQ(exchange.Buffer1()->Size(), 2048u);
  EXPECT_EQ(controller->State().ShrinkHeight(), 50);
  EXPECT_TRUE(view->timerRunning);
}

TEST_F(MainControllerTest, AFirstStartOpensTheFirstDataFileOnOfferAndOnlyAFirstStart) {
  struct Case {
    const char* what;
    Bytes settings;
    std::vector<Bytes> arguments;
    std::vector<Bytes> dataFiles;
    Bytes expected;
  };
  const std::vector<Bytes> samples{"samples-1.7.0\\html.edt", "samples-1.7.0\\code.edt"};
  const Case cases[] = {
      {"first start beside the samples", "", {}, samples, "samples-1.7.0\\code.edt"},
      {"a data file of the program's folder before a subfolder's", "[Setup]\r\nTimer=100\r\n", {},
       {"samples-1.7.0\\code.edt", "mine.edt"}, "mine.edt"},
      {"first start with nothing on offer", "", {}, {}, ""},
      {"a start after the first, with no data file chosen", "[Quiltor]\r\nQuiltorData=\r\n", {}, samples, ""},
      {"a first start that names its data file", "", {"/dother.edt"}, samples, "other.edt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.reset();
    controller.reset();
    for (const Bytes& name : c.dataFiles) files.Put(Bytes(kFolder) + name, DataFile("T", 2));
    Start(c.settings, c.arguments);
    FinishStart();
    EXPECT_EQ(controller->DataFilePath(), c.expected);
    EXPECT_EQ(Key("Quiltor", "QuiltorData"), c.expected) << "the choice is the one the next start finds";
    EXPECT_EQ(controller->Pages().size(), c.expected.empty() || c.expected == "other.edt" ? 0u : 2u);
    for (const Bytes& name : c.dataFiles) files.Remove(Bytes(kFolder) + name);
  }
}

// The dialog can be opened while the tool waits for a module: the module
// still works on the buffers it was given, and its result is read from them.
TEST_F(MainControllerTest, NewBufferSizesWaitUntilTheRunningModuleHasEnded) {
  files.Put(Bytes(kFolder) + "d.edt",
            "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nTitle=P\r\nCount=1\r\nM00=07,module\r\n"
            "[Edit00]\r\nM00a=mod.exe\r\nM00b=\r\n");
  files.Put(Bytes(kFolder) + "mod.exe", "MZ");
  Start("[Quiltor]\r\nQuiltorData=d.edt\r\n");
  FinishStart();
  view->setupOutcome.ok = true;
  view->editSetup = [](SetupCopy& copy) {
    copy.bufSize1 = 2048;
    copy.bufSize2 = 4096;
  };
  // Without a process handle the tool watches the buffers; the user's OK
  // comes in while it waits, the module's text after it.
  processes.shellGivesProcess = false;
  TransferBuffer* given = nullptr;
  const std::uint64_t now = processes.NowMilliseconds();
  processes.At(now + 150, [&] {
    given = exchange.Buffer1();
    Run(CommandId::kSetup);
    EXPECT_EQ(exchange.Buffer1(), given) << "the running module's buffer was made anew";
    EXPECT_EQ(exchange.BufSize1(), 1024u) << "the module reads the sizes of the buffers it has";
  });
  processes.At(now + 250, [&] { exchange.Buffer1()->WriteText("from the module"); });
  controller->ChooseItem(ItemName::Main(0, 0));
  ASSERT_NE(given, nullptr) << "the settings dialog came while the module ran";
  EXPECT_EQ(controller->Items().LastBefore(), "from the module");
  EXPECT_EQ(Key("Setup", "BufSize1"), "2048");
  controller->ApplicationEventsIdle();
  EXPECT_EQ(exchange.BufSize1(), 2048u);
  EXPECT_EQ(exchange.BufSize2(), 4096u);
  EXPECT_EQ(exchange.Buffer1()->Size(), 2048u);
  EXPECT_EQ(exchange.Buffer2()->Size(), 4096u);
  EXPECT_TRUE(view->timerRunning);
}

TEST_F(MainControllerTest, SetupOkTakesAHotKeyThatAnotherProgramHeldAtStart) {
  Start("[Setup]\r\nHotKeyR=1\r\nHotKeyA=1\r\n");
  FinishStart();
  hotKeySystem.heldElsewhere = {kHotKeyActivate};
  controller->RegisterHotKeys();
  EXPECT_EQ(view->MessageIds(), std::vector<MessageId>{MessageId::kHotKeyActivateFailed});
  EXPECT_EQ(hotKeySystem.registered, std::set<int>{kHotKeyRepeat});
  hotKeySystem.heldElsewhere.clear();  // the other program let it go
  view->setupOutcome.ok = false;
  Run(CommandId::kSetup);
  EXPECT_EQ(hotKeySystem.registered, std::set<int>{kHotKeyRepeat}) << "Cancel changes nothing";
  view->setupOutcome.ok = true;  // OK without a change
  view->editSetup = [](SetupCopy&) {};
  Run(CommandId::kSetup);
  EXPECT_EQ(hotKeySystem.registered, (std::set<int>{kHotKeyRepeat, kHotKeyActivate}));
  EXPECT_TRUE(hotKeys.Holds(kHotKeyActivate));
  EXPECT_EQ(view->messages.size(), 1u);
}

TEST_F(MainControllerTest, DataFileDialogLoadsTheChoiceOrComesBackWhenItDoesNotLoad) {
  files.Put(Bytes(kFolder) + "a.edt", DataFile("A", 1));
  files.Put(Bytes(kFolder) + "sub\\b.edt", DataFile("B", 2));
  files.Put(Bytes(kFolder) + "old.edt", "[Version]\r\nNo=169\r\n");
  Start("[Setup]\r\nMinHeight=60\r\n[Quiltor]\r\nQuiltorData=a.edt\r\nHeight=300\r\n");
  FinishStart();
  // A file that does not load: its message, then the dialog again.
  view->chosenDataFiles = {Bytes("old.edt"), Bytes("sub\\b.edt")};
  controller->FormShortCut(0x78);  // F9 alone drops the recent list down
  EXPECT_EQ(view->dropDowns, std::vector<CommandId>{CommandId::kLoomwork});
  keyboard.Send(KeyEvent{0x10, 0x2A, false});  // Shift+F9: the dialog
  controller->FormShortCut(0x78);
  keyboard.Send(KeyEvent{0x10, 0x2A, true});
  EXPECT_EQ(view->dataFileDialogs, 2);
  EXPECT_EQ(view->MessageIds(), std::vector<MessageId>{MessageId::kText});
  EXPECT_EQ(controller->Pages().size(), 2u);
  EXPECT_EQ(controller->DataFilePath(), "sub\\b.edt");
  EXPECT_EQ(view->rect.Height(), 300);
  EXPECT_EQ(controller->State().ShrinkHeight(), 60);
  EXPECT_TRUE(view->visible);
  // The recent list: the chosen file first (and not choosable), at most ten.
  ASSERT_GE(controller->RecentData().Items().size(), 2u);
  EXPECT_EQ(controller->RecentData().Items()[0].path, "sub\\b.edt");
  EXPECT_FALSE(controller->RecentData().Enabled(0));
  EXPECT_TRUE(controller->RecentData().Enabled(1));
  // Choosing an older entry of the recent list loads it.
  const std::size_t a = controller->RecentData().Items()[1].path == "a.edt" ? 1 : 2;
  Run(CommandId::kLoomworkHistory, a);
  EXPECT_EQ(controller->DataFilePath(), "a.edt");
  EXPECT_EQ(controller->Pages().size(), 1u);
}

TEST_F(MainControllerTest, ARecentFileThatIsGoneOpensTheDialogAndLeavesNoPagesOfAnotherFile) {
  files.Put(Bytes(kFolder) + "a.edt", DataFile("A", 2));
  files.Put(Bytes(kFolder) + "b.edt", DataFile("B", 1));
  Start("[Setup]\r\nMinHeight=60\r\n[Quiltor]\r\nQuiltorData=a.edt\r\nHeight=300\r\n");
  FinishStart();
  view->chosenDataFiles = {Bytes("b.edt")};
  Run(CommandId::kLoomwork);
  ASSERT_EQ(controller->RecentData().Items()[1].path, "a.edt");
  files.Remove(Bytes(kFolder) + "a.edt");
  const int dialogs = view->dataFileDialogs;
  Run(CommandId::kLoomworkHistory, 1);  // the dialog is left with Esc
  EXPECT_EQ(view->dataFileDialogs, dialogs + 1);
  EXPECT_TRUE(view->messages.empty());
  EXPECT_EQ(controller->DataFilePath(), "a.edt");
  EXPECT_TRUE(controller->Pages().empty()) << "b.edt's items would read their texts from a.edt";
  EXPECT_FALSE(FindItemImage(controller->Pages(), ItemName::Main(0, 0)));
  EXPECT_EQ(view->rect.Height(), 300);
  EXPECT_EQ(controller->State().ShrinkHeight(), 60);
}

TEST_F(MainControllerTest, RecentListKeepsTenAndDropsTheOldest) {
  for (int i = 0; i < 11; ++i) files.Put(Bytes(kFolder) + "d" + std::to_string(i) + ".edt", DataFile("", 1));
  Start("[Quiltor]\r\nQuiltorData=d0.edt\r\n");
  FinishStart();
  for (int i = 1; i < 11; ++i) {
    view->chosenDataFiles = {Bytes("d" + std::to_string(i) + ".edt")};
    Run(CommandId::kLoomwork);
  }
  ASSERT_EQ(controller->RecentData().Items().size(), 10u);
  EXPECT_EQ(controller->RecentData().Items().front().path, "d10.edt");
  EXPECT_EQ(controller->RecentData().Items().back().path, "d1.edt");
  controller->FormClose(view->rect);
  EXPECT_EQ(Key("Quiltor", "QuiltorData9"), "d1.edt");
  EXPECT_EQ(Key("Quiltor", "QuiltorData10"), "");
}

// ---- Finding items by typing ---------------------------------------------------

// A text item and one in a menu two levels deep; notepad is the target.
class SearchTest : public MainControllerTest {
 protected:
  void SetUp() override {
    files.Put(Bytes(kFolder) + "tags.edt",
              "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\n[Menu00]\r\nTitle=Tags\r\nCount=2\r\nM00=00,&Bold\r\n"
              "M01=13,01,Headings\r\nM0100=13,01,More\r\nM010000=00,h2\r\n"
              "[Edit00]\r\nM00a=<b>\r\nM00b=</b>\r\nM010000a=<h2>\r\nM010000b=</h2>\r\n");
    files.Put(Bytes(kFolder) + "other.edt", DataFile("Other", 3));
    Start("[Setup]\r\nPasteKindEZ=0\r\n[Quiltor]\r\nQuiltorData=tags.edt\r\n");
    controller->AttachSearchView(search);
    FinishStart();
    top = windows.Add("Notepad", 9);
    edit = windows.AddEditor("Edit", 9, top);
    windows.SetEditText(edit, "say hello now", 4, 9);
    controller->Items().Simple().SetTarget(edit);
  }
  std::vector<Bytes> HitNames() {
    std::vector<Bytes> names;
    for (std::size_t row = 0; row < controller->Search().Hits().size(); ++row) {
      names.push_back(StoredItemName(controller->Search().Hit(row).name));
    }
    return names;
  }
  static constexpr std::uint8_t kEnter = 0x0D;
  static constexpr std::uint8_t kEscape = 0x1B;
  fakes::FakeSearchView search;
  WindowId top = kNoWindow;
  WindowId edit = kNoWindow;
};

TEST_F(SearchTest, EnterRunsTheFoundItemAsAClickWouldAndTheUseIsRemembered) {
  ASSERT_TRUE(controller->OpenSearch());
  EXPECT_EQ(search.shows, std::vector<bool>{true});
  controller->SearchQueryChanged("more H2");
  ASSERT_EQ(HitNames(), std::vector<Bytes>{"MB00M010000"});
  EXPECT_TRUE(controller->SearchKey(kEnter));
  EXPECT_EQ(windows.EditText(edit), "say <h2>hello</h2> now");
  EXPECT_EQ(controller->Items().LastItem(), ItemName::Main(0, 1).Entry(0).Entry(0)) << "re-edit runs it again, as after a click";
  EXPECT_FALSE(controller->Search().IsOpen());
  EXPECT_EQ(search.shows, (std::vector<bool>{true, false}));
  EXPECT_EQ(Key("Search", "Used0"), "1,MB00M010000,tags.edt");
  EXPECT_EQ(Key("Quiltor", "QuiltorData"), "tags.edt");

  // A click counts as a use too: the most recent comes first among equals.
  controller->ApplicationEventsIdle();
  windows.SetEditText(edit, "x", 0, 1);
  controller->ChooseItem(ItemName::Main(0, 0));
  EXPECT_EQ(Key("Search", "Used1"), "2,TB00M00,tags.edt");
  controller->OpenSearch();
  EXPECT_EQ(HitNames(), (std::vector<Bytes>{"TB00M00", "MB00M010000"}));
  controller->SearchQueryChanged("zzz");
  EXPECT_TRUE(controller->Search().NoHits());
  EXPECT_TRUE(controller->SearchKey(kEnter));
  EXPECT_TRUE(controller->Search().IsOpen()) << "nothing to run";
}

TEST_F(SearchTest, KeysMoveTheSelectionAndEscapeGivesThePagesBack) {
  controller->OnPageActivated(0);
  const int renders = search.renders;
  ASSERT_TRUE(controller->OpenSearch());
  EXPECT_TRUE(controller->SearchKey(0x28));  // Down
  EXPECT_EQ(controller->Search().Selection(), 1);
  EXPECT_TRUE(controller->SearchKey(0x22));  // Page Down stops at the last hit
  EXPECT_EQ(controller->Search().Selection(), 1);
  EXPECT_TRUE(controller->SearchKey(0x26));  // Up
  EXPECT_EQ(controller->Search().Selection(), 0);
  EXPECT_GT(search.renders, renders + 3);
  EXPECT_FALSE(controller->SearchKey('A')) << "letters belong to the query box";
  EXPECT_FALSE(controller->SearchKey(0x25)) << "so do Left and Right";
  const WindowId foreground = windows.Foreground();
  EXPECT_TRUE(controller->SearchKey(kEscape));
  EXPECT_FALSE(controller->Search().IsOpen());
  EXPECT_FALSE(search.open);
  EXPECT_EQ(windows.Foreground(), foreground) << "Escape on the pages goes to the target; here it only closes";
  EXPECT_EQ(controller->ActivePage(), 0);
}

TEST_F(SearchTest, CtrlFOpensAndOnlyWhenThereArePages) {
  keyboard.Send(KeyEvent{0x11, 0x1D, false});
  controller->FormShortCut('F');
  keyboard.Send(KeyEvent{0x11, 0x1D, true});
  EXPECT_TRUE(controller->Search().IsOpen());
  EXPECT_EQ(controller->Search().Query(), "");
  controller->CloseSearch();
  controller->FormShortCut('F');
  EXPECT_FALSE(controller->Search().IsOpen()) << "F alone is a character, the window's to translate";
  files.Put(Bytes(kFolder) + "none.edt", DataFile("None", 0));
  view->chosenDataFiles = {Bytes("none.edt")};
  Run(CommandId::kLoomwork);
  EXPECT_FALSE(controller->OpenSearch());
}

TEST_F(SearchTest, ASwapOfTheDataFileClosesTheSearchAndSearchesTheNewFile) {
  ASSERT_TRUE(controller->OpenSearch());
  controller->SearchQueryChanged("h2");
  Forward("/dother.edt\n");
  EXPECT_FALSE(controller->Search().IsOpen());
  EXPECT_FALSE(search.open);
  ASSERT_TRUE(controller->OpenSearch());
  EXPECT_EQ(HitNames(), (std::vector<Bytes>{"TB00M00", "TB01M00", "TB02M00"}));
  // F9 drops down the recent files while the search is open; choosing one swaps.
  EXPECT_TRUE(controller->SearchKey(0x78));
  EXPECT_EQ(view->dropDowns.back(), CommandId::kLoomwork);
  EXPECT_TRUE(controller->Search().IsOpen());
  Run(CommandId::kLoomworkHistory, 1);
  EXPECT_EQ(controller->DataFilePath(), "tags.edt");
  EXPECT_FALSE(controller->Search().IsOpen());
}

TEST_F(SearchTest, AHitOfADisabledButtonDoesNotRun) {
  Run(CommandId::kMode);  // linked mode with no current file: every item button is off
  ASSERT_FALSE(controller->ItemsEnabled());
  ASSERT_TRUE(controller->OpenSearch());
  controller->SearchQueryChanged("bold");
  EXPECT_TRUE(controller->SearchKey(kEnter));
  EXPECT_EQ(windows.EditText(edit), "say hello now");
  EXPECT_FALSE(controller->Items().HasLastItem());
  EXPECT_TRUE(controller->Search().IsOpen());
}

}  // namespace
}  // namespace quiltor
