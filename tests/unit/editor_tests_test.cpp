// The editor tests of the settings dialog and the detection dialog: the test
// file and command line, finding and writing into the test editor, and
// closing it again without leaving it with something to ask.
#include "delivery/editor_tests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "delivery/editor_detection.h"
#include "fakes/call_log.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_files.h"
#include "fakes/fake_keyboard.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_windows.h"

namespace quiltor {
namespace {

using fakes::CallLog;
using fakes::FakeClipboard;
using fakes::FakeKeyboard;
using fakes::FakeProcesses;
using fakes::FakeWindows;

const Bytes kBefore = "\x90\xb3\x8f\xed\x82\xc9\x91\x97\x90\x4d\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd ( ^^)\x81\x5e";
const Bytes kAfter = "\x81\x5f(^^ )";

// A notepad-like top window asks to save on WM_CLOSE while its edit window
// still exists and holds text; an edit window undoes its last cut or paste.
class NotepadLikeWindows : public FakeWindows {
 public:
  using FakeWindows::FakeWindows;
  bool Post(WindowId window, std::uint32_t message, std::uintptr_t w = 0, std::intptr_t l = 0) override {
    if (IsWindow(window)) {
      if (message == kWmCut || message == kWmPaste) undoText[window] = Get(window).text;
      if (message == kWmUndo && undoText.count(window)) Get(window).text = undoText[window];
      if (message == kWmClose) textAtClose[window] = Get(window).text;
      if (message == kWmClose && asksToSave.count(window)) {
        const bool asks = ChangedChild(window);
        saveQuestions += asks ? 1 : 0;
        Get(window).closesOnWmClose = !asks;
      }
    }
    return FakeWindows::Post(window, message, w, l);
  }
  // Deliveries send the clipboard messages with a time limit.
  SendResult SendWithin(WindowId window, std::uint32_t message, std::uint32_t limit, std::uintptr_t w = 0,
                        std::intptr_t l = 0) override {
    if (IsWindow(window) && (message == kWmCut || message == kWmPaste)) undoText[window] = Get(window).text;
    return FakeWindows::SendWithin(window, message, limit, w, l);
  }
  bool ChangedChild(WindowId top) {
    bool changed = false;
    EnumChildren(top, [&](WindowId child) {
      if (!Get(child).text.empty()) changed = true;
      return true;
    });
    return changed;
  }

  std::set<WindowId> asksToSave;
  std::map<WindowId, std::u16string> undoText;
  std::map<WindowId, std::u16string> textAtClose;
  int saveQuestions = 0;
};

class EditorTestsTest : public ::testing::Test {
 protected:
  EditorTestsTest() {
    keyboard.onEvent = [this](const KeyEvent& event) { windows.OnKey(event); };
    // The editor shows a top window with a tool bar and an edit window.
    processes.onStart = [this](std::uint32_t id, const Bytes&) {
      top = windows.Add("Notepad", id);
      windows.asksToSave.insert(top);
      windows.Add("ToolbarWindow32", id, top);
      edit = windows.AddEditor("Edit", id, top);
    };
    other = windows.Add("Notepad", 999);
  }

  CallLog log;
  FakeClipboard clipboard;
  NotepadLikeWindows windows{clipboard, &log};
  FakeKeyboard keyboard;
  FakeProcesses processes;
  FakeFileSystem files;
  DeliveryRoutines delivery{clipboard, windows, keyboard, processes};
  Launcher launcher{processes, windows, files};
  WindowId top = kNoWindow;
  WindowId edit = kNoWindow;
  WindowId other = kNoWindow;
};

TEST(TestCommandLineTest, ParameterGetsTheTestFileUnquoted) {
  struct Case {
    Bytes param;
    Bytes line;
  };
  const Case cases[] = {
      {"-n %f", "\"C:\\Ed\\ed.exe\" -n C:\\Tool\\Quiltor.xxx"},
      {"-x", "\"C:\\Ed\\ed.exe\" -x"},
      {"%%f", "\"C:\\Ed\\ed.exe\" %f"},
      {"", "\"C:\\Ed\\ed.exe\" "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TestCommandLine("C:\\Ed\\ed.exe", c.param, TestFilePath("C:\\Tool\\")), c.line) << c.param;
  }
}

TEST_F(EditorTestsTest, FirstTestMakesAnEmptyTestFileOnceAndStartsTheEditor) {
  const Bytes file = TestFilePath("C:\\Tool\\");
  DetectionStart start = StartDetectionEditor(processes, windows, files, file, "\"ed.exe\" " + file);
  ASSERT_TRUE(start.processId);
  EXPECT_TRUE(start.testFileReady);
  EXPECT_EQ(files.Contents(file), "");
  EXPECT_EQ(processes.Started(), std::vector<Bytes>{"\"ed.exe\" " + file});

  files.Put(file, "typed by the user");
  StartDetectionEditor(processes, windows, files, file, "ed.exe");
  EXPECT_EQ(files.Contents(file), "typed by the user");

  processes.startFails = true;
  files.FailWrites(FakeFileSystem::WriteFailure::kRefuse);
  start = StartDetectionEditor(processes, windows, files, "C:\\ro\\Quiltor.xxx", "ed.exe");
  EXPECT_FALSE(start.processId);
  EXPECT_FALSE(start.testFileReady);
}

TEST_F(EditorTestsTest, SecondTestFindsTheEditWindowAndTheThirdWritesIntoIt) {
  LinkedTab tab;
  tab.className1 = "Notepad";
  tab.className2 = "Edit";
  tab.className2Ticked = false;  // the child class counts all the same
  const WindowId found = FindTestEditor(launcher, "ed.exe", tab, nullptr);
  ASSERT_NE(found, kNoWindow);
  EXPECT_EQ(found, edit);

  TestEditorWatch watch;
  watch.Start(found);
  EXPECT_TRUE(watch.Tick(windows));
  EXPECT_EQ(WriteTestTexts(delivery, found, 0, 0, kDefaultCutPasteKey, "\r\n"), DeliveryStatus::kOk);
  EXPECT_EQ(windows.EditText(edit), kBefore + kAfter + "\r\n");

  windows.SetEditText(edit, "word", 0, 4);
  WriteTestTexts(delivery, found, 1, 0, 538100435, "\n");  // cut is plain "A": nothing the editor knows
  EXPECT_EQ(windows.EditText(edit), "word");
  clipboard.PutText("mine");
  WriteTestTexts(delivery, found, 1, 0, kDefaultCutPasteKey, "\n");
  EXPECT_EQ(windows.EditText(edit), kBefore + "word" + kAfter + "\n");
  EXPECT_EQ(clipboard.Text(), "mine");  // the user's clipboard came back
}

TEST_F(EditorTestsTest, KeyTestWritesIntoTheFreshEmptyTestFile) {
  // テスト１ and テスト２ open an empty test file: the cut finds nothing to
  // take, and the test texts still arrive, with either standard key set.
  processes.Start("ed.exe");
  for (std::int32_t keys : {kDefaultCutPasteKey, kInsertDeleteCutPasteKey}) {
    SCOPED_TRACE(keys);
    windows.SetEditText(edit, "", 0, 0);
    clipboard.PutText("mine");
    EXPECT_EQ(WriteTestTexts(delivery, edit, 1, 0, keys, "\r\n"), DeliveryStatus::kOk);
    EXPECT_EQ(windows.EditText(edit), kBefore + kAfter + "\r\n");
    EXPECT_EQ(clipboard.Text(), "mine");
  }
}

TEST_F(EditorTestsTest, ThirdTestUsesTheRadioItemsSetOrTheStoredKeys) {
  struct Case {
    int radio;
    std::int32_t expected;
  };
  const Case cases[] = {{0, 202223221}, {1, 236337336}, {2, 538100435}};
  for (const Case& c : cases) {
    LinkedTab tab;
    tab.cutPaste = c.radio;
    EXPECT_EQ(TestKeySetting(tab, 538100435), c.expected);
  }
}

TEST_F(EditorTestsTest, WatchEndsWhenTheEditorIsClosedByHandOrNeverFound) {
  LinkedTab tab{"", "", "Notepad", false, "", 0, 0, 0};
  TestEditorWatch watch;
  watch.Start(FindTestEditor(launcher, "ed.exe", tab, nullptr));
  EXPECT_EQ(watch.Target(), top);  // no child class: the top window is the target
  EXPECT_TRUE(watch.Tick(windows));
  windows.Remove(top);
  EXPECT_FALSE(watch.Tick(windows));
  EXPECT_FALSE(watch.Running());

  watch.Start(kNoWindow);  // a start that failed
  EXPECT_FALSE(watch.Tick(windows));
  EXPECT_FALSE(watch.Running());
}

TEST_F(EditorTestsTest, ClosingTheSettingsDialogUndoesAndClosesTheWatchedEditor) {
  LinkedTab tab{"", "", "Notepad", true, "Edit", 0, 0, 0};
  TestEditorWatch watch;
  watch.Start(FindTestEditor(launcher, "ed.exe", tab, nullptr));
  WriteTestTexts(delivery, watch.Target(), 0, 0, kDefaultCutPasteKey, "\r\n");
  log.Clear();
  watch.CloseEditor(windows);
  // The edit window is undone, never closed by itself.
  const std::vector<std::string> sent = {"Post " + std::to_string(edit) + " 0x304",
                                         "Post " + std::to_string(edit) + " 0xB9",
                                         "Post " + std::to_string(top) + " 0x10"};
  EXPECT_EQ(log.Matching("Post"), sent);
  EXPECT_FALSE(windows.IsWindow(top));
  EXPECT_EQ(windows.saveQuestions, 0);

  log.Clear();
  watch.CloseEditor(windows);  // not watching any more: nothing is sent
  EXPECT_TRUE(log.Matching("Post").empty());
}

class DetectionTest : public EditorTestsTest {
 protected:
  DetectionTest() {
    const DetectionStart start = StartDetectionEditor(processes, windows, files, "C:\\T\\Quiltor.xxx", "ed.exe");
    pid = *start.processId;
    scope = {pid, windows.ownProcess, start.before};
    hidden = windows.Add("Hidden", pid);
    windows.Add("ToolDialog", windows.ownProcess);  // the detection dialog itself
  }
  std::uint32_t pid = 0;
  DetectionScope scope;
  WindowId hidden = kNoWindow;
};

TEST_F(DetectionTest, ListsTheProcessWindowsAndTheDescendantsOfTheChosenOne) {
  EditorDetection detection(scope, 0, 0, 0, kDefaultCutPasteKey);
  detection.ListTopWindows(windows);
  EXPECT_EQ(detection.TopRows(), (std::vector<WindowId>{top, hidden}));
  EXPECT_EQ(detection.TopTexts()[0], HandleText(top));
  EXPECT_EQ(HandleText(0x1A2B), "00001A2B");

  detection.ChooseTop(windows, 0);
  EXPECT_EQ(detection.ParentClass(), "Notepad");
  ASSERT_EQ(detection.ChildRows().size(), 3u);
  EXPECT_EQ(detection.ChildTexts()[0], "\x90\x65\xb3\xa8\xdd\xc4\xde\xb3");  // 親ｳｨﾝﾄﾞｳ
  EXPECT_EQ(detection.ChildRows()[0], top);
  EXPECT_EQ(detection.ChildRows()[2], edit);
  EXPECT_EQ(detection.SelectedChild(), 0u);

  detection.ChooseChild(windows, 2);
  EXPECT_EQ(detection.ChildClass(), "Edit");
  detection.ChooseChild(windows, 0);
  EXPECT_EQ(detection.ChildClass(), "");

  // Refreshing the top-level list keeps the child list and class names.
  detection.ChooseChild(windows, 2);
  detection.ListTopWindows(windows);
  EXPECT_EQ(detection.ChildClass(), "Edit");
  EXPECT_EQ(detection.ChildRows().size(), 3u);
  EXPECT_FALSE(detection.SelectedTop());
}

TEST_F(DetectionTest, OkHandsBackTheClassesOnlyForAChosenTopWindow) {
  struct Case {
    std::optional<std::size_t> top;
    std::optional<std::size_t> child;
    LinkedTab expected;
  };
  const LinkedTab before{"ed.exe", "%f", "Old", true, "OldChild", 0, 0, 0};
  const Case cases[] = {
      {0, 2, {"ed.exe", "%f", "Notepad", true, "Edit", 1, 35, 0}},
      {0, 0, {"ed.exe", "%f", "Notepad", false, "", 1, 35, 0}},
      {std::nullopt, std::nullopt, {"ed.exe", "%f", "Old", true, "OldChild", 1, 35, 0}},
  };
  for (const Case& c : cases) {
    EditorDetection detection(scope, 10, 0, 0, kDefaultCutPasteKey);
    detection.ListTopWindows(windows);
    if (c.top) detection.ChooseTop(windows, *c.top);
    if (c.child) detection.ChooseChild(windows, *c.child);
    detection.pasteKind = 1;
    detection.interval = 35;
    LinkedTab tab = before;
    detection.HandOver(tab);
    EXPECT_EQ(tab, c.expected);
  }
}

TEST_F(DetectionTest, WidthAndKeysFollowTheChosenMethod) {
  EditorDetection direct(scope, 0, 1, 2, 538100435);
  EXPECT_EQ(direct.Width(), kDetectionWideWidth);
  EXPECT_EQ(direct.cutPaste.button, kDirectKeys);
  EXPECT_EQ(direct.KeySetting(), 538100435);
  direct.cutPaste.Choose(kStandard2);
  EXPECT_EQ(direct.KeySetting(), 236337336);
  EXPECT_EQ(ComposeKeys(direct.cutPaste.keys), 236337336);
  direct.pasteKind = 0;
  EXPECT_EQ(direct.Width(), kDetectionNarrowWidth);
  EXPECT_EQ(EditorDetection(scope, 0, 0, 1, 538100435).KeySetting(), 236337336);
}

TEST_F(DetectionTest, TestWritesIntoTheChosenWindowOrShowsItsSelection) {
  std::vector<std::uint8_t> buffer(16, 0xFF);
  EditorDetection detection(scope, 0, 0, 0, kDefaultCutPasteKey);
  detection.ListTopWindows(windows);
  EXPECT_FALSE(detection.Test(delivery, buffer, "\r\n").ran);  // nothing chosen: nothing happens
  detection.ChooseTop(windows, 0);
  detection.ChooseChild(windows, 2);
  EXPECT_TRUE(detection.Test(delivery, buffer, "\r\n").ran);
  EXPECT_EQ(windows.EditText(edit), kBefore + kAfter + "\r\n");

  windows.SetEditText(edit, "one two", 4, 7);
  detection.testCopy = true;
  const EditorDetection::TestResult copied = detection.Test(delivery, buffer, "\r\n");
  EXPECT_EQ(copied.copied, "two");
  EXPECT_EQ(windows.EditText(edit), "one two");
}

TEST_F(DetectionTest, ClosingUndoesTheTestTextAndClosesTheEditorWithoutAQuestion) {
  std::vector<std::uint8_t> buffer(16);
  EditorDetection detection(scope, 0, 0, 0, kDefaultCutPasteKey);
  detection.ListTopWindows(windows);
  detection.ChooseTop(windows, 0);
  detection.ChooseChild(windows, 2);
  detection.Test(delivery, buffer, "\r\n");
  log.Clear();
  detection.CloseEditor(windows);
  EXPECT_EQ(windows.textAtClose[edit], u"");
  EXPECT_TRUE(log.Matching("Post " + std::to_string(edit) + " 0x10").empty()) << "an inner window is never closed";
  EXPECT_FALSE(windows.IsWindow(top));
  EXPECT_FALSE(windows.IsWindow(hidden));
  EXPECT_EQ(windows.saveQuestions, 0);
  EXPECT_TRUE(windows.IsWindow(other));
  const std::vector<std::string> focus = log.Matching("Set");
  ASSERT_GE(focus.size(), 2u);
  EXPECT_EQ(focus[0], "SetForeground " + std::to_string(top));
  EXPECT_EQ(focus[1], "SetFocus " + std::to_string(top));

  // Without any top-level window nothing is sent.
  EditorDetection empty(DetectionScope{4242, windows.ownProcess, TopWindowsNow(windows)}, 0, 0, 0,
                        kDefaultCutPasteKey);
  empty.ListTopWindows(windows);
  log.Clear();
  empty.CloseEditor(windows);
  EXPECT_TRUE(log.Entries().empty());
}

// A launcher hands the file to another process and ends at once. The
// detection lists the successor's windows (its edit window two levels down
// among the descendants) and one another program opened meanwhile, never a
// window from before the start or the tool's own; closing reaches the
// editor's top window only, whether its row was chosen or not.
TEST_F(EditorTestsTest, DetectionFollowsTheProcessALauncherHandedOverTo) {
  constexpr std::uint32_t kSuccessor = 4242;
  constexpr std::uint32_t kStranger = 777;
  for (const bool chooseEditor : {true, false}) {
    SCOPED_TRACE(chooseEditor ? "the editor's row chosen" : "nothing chosen");
    WindowId shownTop = kNoWindow, shownEdit = kNoWindow, stray = kNoWindow;
    processes.onStart = [&](std::uint32_t, const Bytes&) {
      shownTop = windows.Add("DeepEditor", kSuccessor);
      windows.asksToSave.insert(shownTop);
      shownEdit = windows.AddEditor("Edit", kSuccessor, windows.Add("Pane", kSuccessor, shownTop));
      stray = windows.Add("Balloon", kStranger);
    };
    const DetectionStart start = StartDetectionEditor(processes, windows, files, "C:\\T\\Quiltor.xxx", "launch.exe");
    ASSERT_TRUE(start.processId);
    windows.Add("ToolDialog", windows.ownProcess);
    EditorDetection detection({*start.processId, windows.ownProcess, start.before}, 0, 0, 0, kDefaultCutPasteKey);
    detection.ListTopWindows(windows);
    EXPECT_EQ(detection.TopRows(), (std::vector<WindowId>{shownTop, stray}));

    std::vector<std::uint8_t> buffer(16);
    if (chooseEditor) {
      detection.ChooseTop(windows, 0);
      EXPECT_EQ(detection.ParentClass(), "DeepEditor");
      const std::vector<WindowId>& children = detection.ChildRows();
      const auto at = std::find(children.begin(), children.end(), shownEdit);
      ASSERT_NE(at, children.end());
      detection.ChooseChild(windows, static_cast<std::size_t>(at - children.begin()));
      EXPECT_EQ(detection.ChildClass(), "Edit");
      detection.Test(delivery, buffer, "\r\n");
      EXPECT_EQ(windows.EditText(shownEdit), kBefore + kAfter + "\r\n");
    }
    log.Clear();
    detection.CloseEditor(windows);
    EXPECT_FALSE(windows.IsWindow(shownTop));
    EXPECT_EQ(windows.saveQuestions, 0);
    EXPECT_TRUE(windows.IsWindow(stray)) << "another program's window is left alone";
    EXPECT_TRUE(log.Matching("Post " + std::to_string(stray)).empty());
    EXPECT_TRUE(windows.IsWindow(other));
    windows.Remove(stray);
  }
}

}  // namespace
}  // namespace quiltor
