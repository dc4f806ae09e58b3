#include "delivery/launch.h"

#include <gtest/gtest.h>

#include <set>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_files.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_windows.h"

namespace quiltor {
namespace {

using fakes::FakeClipboard;
using fakes::FakeProcesses;
using fakes::FakeWindows;

// Only Exists matters to the launcher.
class ExistingFiles : public NoFiles {
 public:
  std::set<Bytes> files;
  int existsCalls = 0;
  bool Exists(const Bytes& path) override {
    ++existsCalls;
    return files.count(path) != 0;
  }
};

TEST(EditorCommandLineTest, BuildsTheThreeFormsWithTheProgramQuoted) {
  struct Case {
    Bytes param;
    Bytes expected;
  };
  const Bytes ed = "\"C:\\Program Files\\ed\\ed.exe\"";
  const Case cases[] = {
      {"", ed + " \"C:\\my docs\\a.txt\""},
      {"-n %f -r", ed + " -n \"C:\\my docs\\a.txt\" -r"},
      {"-x", ed + " -x \"C:\\my docs\\a.txt\""},
      {"%f %f", ed + " \"C:\\my docs\\a.txt\" %f"},   // only the first is replaced
      {"%%f", ed + " %\"C:\\my docs\\a.txt\""},       // "%%" means nothing here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EditorCommandLine("C:\\Program Files\\ed\\ed.exe", c.param, "C:\\my docs\\a.txt"), c.expected) << c.param;
    EXPECT_EQ(EditorCommandLine(ed, c.param, "C:\\my docs\\a.txt"), c.expected) << "quoted by the user: " << c.param;
  }
}

// A path with a space, unquoted, would start "C:\Program.exe" when that exists.
TEST(QuotedProgramTest, QuotesEveryPathOnce) {
  const std::pair<Bytes, Bytes> cases[] = {
      {"C:\\Program Files\\ed.exe", "\"C:\\Program Files\\ed.exe\""},
      {"ed.exe", "\"ed.exe\""},
      {"\"C:\\a b\\ed.exe\"", "\"C:\\a b\\ed.exe\""},
      {"", ""},
  };
  for (const auto& [path, quoted] : cases) EXPECT_EQ(QuotedProgram(path), quoted) << path;
}

class LaunchTest : public ::testing::Test {
 protected:
  // The started program shows its windows `delayMs` after the start.
  void EditorAppearsAfter(std::uint64_t delayMs, const std::string& editClass = "Edit") {
    processes.onStart = [=, this](std::uint32_t id, const Bytes&) {
      processes.At(processes.NowMilliseconds() + delayMs, [=, this] {
        shownTop = windows.Add("EditorTop", id);
        windows.Add("Toolbar", id, shownTop);
        const WindowId pane = windows.Add("Pane", id, shownTop);
        shownEdit = windows.Add(editClass, id, pane);
        windows.Add(editClass, id, pane);
      });
    };
  }

  FakeClipboard clipboard;
  FakeWindows windows{clipboard};
  FakeProcesses processes;
  ExistingFiles files;
  Launcher launcher{processes, windows, files};
  int questions = 0;
  std::wstring lastQuestion;
  AskToContinue answer(bool ok, int maxQuestions = 100) {
    return [=, this](std::wstring_view question) {
      ++questions;
      lastQuestion = question;
      return ok && questions < maxQuestions;
    };
  }
  WindowId shownTop = kNoWindow;
  WindowId shownEdit = kNoWindow;
};

TEST_F(LaunchTest, WindowShownAfterOneSecondIsFoundOnFourthPollWithoutQuestion) {
  EditorAppearsAfter(1000);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(false)), shownEdit);
  EXPECT_EQ(launcher.Search().top, shownTop);
  EXPECT_EQ(processes.Sleeps(), (std::vector<std::uint32_t>(4, 300)));
  EXPECT_EQ(questions, 0);
}

TEST_F(LaunchTest, EmptyEditClassTakesTheTopWindow) {
  EditorAppearsAfter(0);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "", answer(false)), shownTop);
  EXPECT_EQ(launcher.Search().edit, shownTop);
}

TEST_F(LaunchTest, AWindowThatWasThereBeforeTheStartIsNeverTaken) {
  // Another program's editor of the same classes is already there.
  const WindowId otherTop = windows.Add("EditorTop", 42);
  windows.Add("Edit", 42, otherTop);
  EditorAppearsAfter(600);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(false)), shownEdit);
  EXPECT_EQ(launcher.Search().top, shownTop);
}

TEST_F(LaunchTest, TheWindowOfTheProcessALauncherHandedOverToIsFound) {
  // The started program shows nothing and ends; another process shows the
  // editor, its edit window two levels below the top.
  processes.onStart = [this](std::uint32_t, const Bytes&) {
    processes.At(processes.NowMilliseconds() + 900, [this] {
      shownTop = windows.Add("EditorTop", 4242);
      shownEdit = windows.Add("Edit", 4242, windows.Add("Pane", 4242, shownTop));
    });
  };
  EXPECT_EQ(launcher.StartProcessAndFindWindow("launch.exe", true, "EditorTop", "Edit", answer(false)), shownEdit);
  EXPECT_EQ(launcher.Search().top, shownTop);
  EXPECT_EQ(questions, 0);
}

// The companion waits on the file's editor, not on the process it started.
TEST_F(LaunchTest, WaitingForAnEditFollowsTheWindowALauncherHandedTheFileTo) {
  struct Case {
    const char* name;
    std::uint64_t runsMs;   // how long the started process runs
    std::uint32_t shownBy;  // the process showing "memo.edt - Ed" (0: none)
    std::uint64_t closedAt;  // when the user closes that window
    std::uint64_t doneAt;    // when the wait is over, at the earliest
  };
  const Case cases[] = {
      {"the editor itself", 4000, 0, 0, 4000},
      {"a launcher that hands over", 0, 4242, 7000, 7000},
      {"a launcher whose editor never shows the file", 0, 0, 0, kHandOverLimitMs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProcesses clock;
    FakeWindows screen{clipboard};
    Launcher starter{clock, screen, files};
    // An older window naming the same file belongs to nothing started here.
    const WindowId older = screen.Add("Ed", 77);
    screen.Get(older).text = u"memo.edt - Ed";
    clock.processRunsMs = c.runsMs;
    clock.onStart = [&](std::uint32_t id, const Bytes&) {
      const std::uint32_t owner = c.shownBy ? c.shownBy : id;
      clock.At(clock.NowMilliseconds() + 300, [&, owner] {
        const WindowId shown = screen.Add("Ed", owner);
        screen.Get(shown).text = (c.shownBy || c.runsMs) ? u"memo.edt - Ed" : u"Ed";
        clock.At(c.closedAt ? c.closedAt : c.runsMs, [&screen, shown] { screen.Remove(shown); });
      });
    };
    const std::set<WindowId> before = TopWindowsNow(screen);
    std::unique_ptr<Process> started = clock.Start("ed.exe");
    ASSERT_TRUE(started);
    WaitUntilEdited(clock, screen, *started, before, "memo.edt");
    EXPECT_GE(clock.NowMilliseconds(), c.doneAt);
    EXPECT_LT(clock.NowMilliseconds(), c.doneAt + 1000);
  }
}

TEST_F(LaunchTest, AsksEveryTenPollsAndCancelGivesNull) {
  EditorAppearsAfter(100000);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(true, 3)), kNoWindow);
  EXPECT_EQ(questions, 3);
  EXPECT_EQ(processes.Sleeps().size(), 30u);
  EXPECT_EQ(lastQuestion, L"ウィンドウクラスを検出できません\n続行しますか？");
}

TEST_F(LaunchTest, OkPollsAnotherRoundUntilFound) {
  EditorAppearsAfter(4000);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(true)), shownEdit);
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(processes.Sleeps().size(), 14u);
}

TEST_F(LaunchTest, TopWithoutEditChildKeepsTopAfterCancel) {
  EditorAppearsAfter(0, "OtherEdit");
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(false)), kNoWindow);
  EXPECT_EQ(launcher.Search().top, shownTop);
  EXPECT_EQ(launcher.Search().edit, kNoWindow);
}

TEST_F(LaunchTest, NoWaitOrFailedStartReturnsNullAtOnce) {
  EditorAppearsAfter(0);
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", false, "", "", answer(true)), kNoWindow);
  EXPECT_TRUE(processes.Sleeps().empty());
  processes.startFails = true;
  EXPECT_EQ(launcher.StartProcessAndFindWindow("ed.exe", true, "EditorTop", "Edit", answer(true)), kNoWindow);
  EXPECT_TRUE(processes.Sleeps().empty());
  EXPECT_EQ(questions, 0);
}

TEST_F(LaunchTest, StartEditorWithFileStartsTheBuiltCommandLine) {
  EditorAppearsAfter(300);
  const EditorWindows found = launcher.StartEditorWithFile("ed.exe", "-n %f", "C:\\a b.txt", "EditorTop", "Edit", answer(false));
  EXPECT_EQ(processes.Started(), (std::vector<Bytes>{"\"ed.exe\" -n \"C:\\a b.txt\""}));
  EXPECT_EQ(found.top, shownTop);
  EXPECT_EQ(found.edit, shownEdit);
}

TEST_F(LaunchTest, OpenWithAssociationOnlyForExistingFiles) {
  EXPECT_FALSE(launcher.OpenWithAssociation("C:\\missing.txt"));
  EXPECT_TRUE(processes.ShellOpened().empty());
  files.files.insert("C:\\here.txt");
  EXPECT_TRUE(launcher.OpenWithAssociation("C:\\here.txt"));
  processes.shellGivesProcess = false;  // handed to a program that was already running
  EXPECT_TRUE(launcher.OpenWithAssociation("C:\\here.txt"));
  processes.shellFails = true;
  EXPECT_FALSE(launcher.OpenWithAssociation("C:\\here.txt"));
  processes.shellFails = false;
  EXPECT_TRUE(launcher.OpenWithAssociation("C:\\here.txt", true));
  EXPECT_EQ(processes.ShellOpened().size(), 4u);
  EXPECT_EQ(processes.ShellStarts(), (std::vector<ShellStart>{ShellStart::kStays, ShellStart::kStays,
                                                              ShellStart::kStays, ShellStart::kReturnsAtOnce}));
}

}  // namespace
}  // namespace quiltor
