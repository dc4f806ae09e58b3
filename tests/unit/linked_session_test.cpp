// Linked mode's rules: the open-file list and its labels, the close-mode
// rule, the extension a new file gets from the filter, the file history, and
// following the editor's windows when they go away or are used again by
// another program.
#include "linked/linked_session.h"

#include <gtest/gtest.h>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_windows.h"
#include "linked/file_history.h"

namespace quiltor {
namespace {

TEST(LinkedRules, LabelShowsThePathOrItsHeadAndFileNameIn42Bytes) {
  const Bytes path42 = " C:\\" + Bytes(32, 'd') + "\\a.txt";  // 42 bytes with the mark
  ASSERT_EQ(path42.size(), 42u);
  EXPECT_EQ(ShortenPathForLabel(path42), path42.substr(1));
  const Bytes path43 = "*C:\\" + Bytes(33, 'd') + "\\a.txt";
  const Bytes shown = ShortenPathForLabel(path43);
  EXPECT_EQ(shown.size(), 42u);
  EXPECT_EQ(shown, path43.substr(1, 33) + "...\\a.txt");
  // A 60-byte entry ending in \memo.txt.
  const Bytes path60 = " C:\\" + Bytes(47, 'x') + "\\memo.txt";
  ASSERT_EQ(path60.size(), 60u);
  EXPECT_EQ(ShortenPathForLabel(path60), path60.substr(1, 30) + "...\\memo.txt");
  // The head is never cut inside a double-byte character ("表" = 0x95 0x5C).
  Bytes kanji = " C:\\";
  while (kanji.size() < 50) kanji += "\x95\x5c";
  kanji += "\\memo.txt";
  const Bytes cut = ShortenPathForLabel(kanji);
  EXPECT_EQ(cut.substr(cut.size() - 12), "...\\memo.txt");
  EXPECT_EQ(cut.size(), 41u) << "30 bytes of head would split a kanji: 29 are kept";
  EXPECT_EQ(ShortenPathForLabel(""), "");
}

TEST(LinkedRules, CloseModeDecidesWhichEditorsAreClosed) {
  struct Case {
    int mode;
    const char* text;
    bool closes;
  };
  for (const Case& c : {Case{0, " C:\\a", true}, Case{0, "*C:\\a", true}, Case{1, " C:\\a", true},
                        Case{1, "*C:\\a", false}, Case{2, " C:\\a", false}, Case{7, " C:\\a", false}}) {
    EXPECT_EQ(ShouldCloseEditor(c.mode, c.text), c.closes) << c.mode << " " << c.text;
  }
}

TEST(LinkedRules, ExtensionComesFromTheSelectedFilterWhenItIsAValidOne) {
  const Bytes filter = "\x91S\xcc\xa7\xb2\xd9(*.*)|*.*|\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9(*.txt)|*.txt";
  struct Case {
    Bytes filter;
    int index;
    Bytes extension;
  };
  const Case cases[] = {
      {filter, 2, "txt"},
      {filter, 1, ""},  // "*" is no extension
      {"HTML|*.html;*.htm;*.js", 1, "html"},
      {"All|*", 1, ""},
      {"Odd|*.a?c", 1, ""},
      {filter, 9, ""},
      // "ポ" (0x83 0x7C) in a name holds a "|" byte that does not end the name.
      {"\x83\x7c|*.po", 1, "po"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtensionFromFilter(c.filter, c.index), c.extension) << c.index;
}

TEST(FileHistoryTest, NewestFirstWithoutDuplicatesAndTrimmedToTheLimit) {
  FileHistory history;
  history.Load({"a", "", "b", "c"});
  EXPECT_EQ(history.Paths(), (std::vector<Bytes>{"a", "b", "c"}));
  history.Add("c", 4);
  EXPECT_EQ(history.Paths(), (std::vector<Bytes>{"c", "a", "b"}));
  history.Add("d", 4);
  history.Add("e", 4);
  EXPECT_EQ(history.Paths(), (std::vector<Bytes>{"e", "d", "c", "a"}));
  history.Add("C", 4);  // paths compare exactly
  EXPECT_EQ(history.Paths().front(), "C");
  EXPECT_FALSE(history.Trim(4));
  EXPECT_TRUE(history.Trim(2));
  EXPECT_EQ(history.Paths(), (std::vector<Bytes>{"C", "e"}));
}

class LinkedSessionTest : public ::testing::Test {
 protected:
  // An editor process with its top window and edit control.
  std::pair<WindowId, WindowId> Editor(std::uint32_t process) {
    const WindowId top = windows.Add("Notepad", process);
    return {top, windows.AddEditor("Edit", process, top)};
  }
  fakes::FakeClipboard clipboard;
  fakes::FakeWindows windows{clipboard};
  LinkedSession session{windows};
};

TEST_F(LinkedSessionTest, TheTopWindowIsTheRootHoweverDeepTheEditWindowSits) {
  const WindowId top = windows.Add("Notepad", 12);
  const WindowId frame = windows.Add("Frame", 12, top);
  const WindowId pane = windows.Add("Pane", 12, frame);
  const WindowId deep = windows.AddEditor("Edit", 12, pane);
  const auto [plainTop, plainEdit] = Editor(13);
  EXPECT_EQ(TopWindowOf(windows, deep), top);
  EXPECT_EQ(TopWindowOf(windows, pane), top);
  EXPECT_EQ(TopWindowOf(windows, plainEdit), plainTop);
  EXPECT_EQ(TopWindowOf(windows, plainTop), plainTop) << "a top-level edit window is its own top";
  EXPECT_EQ(TopWindowOf(windows, kNoWindow), kNoWindow);
}

TEST_F(LinkedSessionTest, EntriesStayIndexAlignedWhenFilesComeAndGo) {
  const auto [top1, edit1] = Editor(10);
  const auto [top2, edit2] = Editor(11);
  session.SetCurrent("C:\\a.txt", edit1);
  session.AddOpenFile(kOpenedByTool);
  session.SetCurrent("C:\\b.txt", edit2);
  session.AddOpenFile(kOpenedByTool);
  ASSERT_EQ(session.Entries().size(), 2u);
  EXPECT_EQ(session.Entries()[0].path, "C:\\b.txt");
  EXPECT_EQ(session.Selected(), 0u);
  EXPECT_EQ(session.LabelText(), "C:\\b.txt");
  // The user picks the older file.
  ASSERT_TRUE(session.ChooseEntry(1));
  EXPECT_EQ(session.CurrentFile(), "C:\\a.txt");
  EXPECT_EQ(session.LinkedTargetWindow(), top1);
  // The other editor closes by hand: pruned silently, the current file stays.
  windows.Remove(top2);
  EXPECT_TRUE(session.PruneOpenFiles());
  ASSERT_EQ(session.Entries().size(), 1u);
  EXPECT_EQ(session.Selected(), 0u);
  EXPECT_TRUE(session.CheckLinkedTarget());
  // Then the current one: the entry goes, the path stays for the exchange field.
  windows.Remove(top1);
  session.PruneOpenFiles();
  EXPECT_FALSE(session.CheckLinkedTarget());
  EXPECT_TRUE(session.Entries().empty());
  EXPECT_FALSE(session.HasCurrent());
  EXPECT_EQ(session.LinkedEditWindow(), kNoWindow);
  EXPECT_EQ(session.CurrentFile(), "C:\\a.txt");
  EXPECT_EQ(session.LabelText(), "");
}

TEST_F(LinkedSessionTest, AHandleUsedAgainByAnotherProgramIsNoLongerTheEditor) {
  const auto [top, edit] = Editor(10);
  session.LinkFromOutside(edit, "C:\\a.txt");
  EXPECT_TRUE(session.TargetUsable());
  // The editor ends and Windows hands its handles to another program.
  windows.Get(top).process = 99;
  windows.Get(edit).process = 99;
  EXPECT_FALSE(session.TargetUsable());
  EXPECT_TRUE(session.PruneOpenFiles());
  EXPECT_FALSE(session.CheckLinkedTarget());
  EXPECT_EQ(session.LinkedEditWindow(), kNoWindow);
  // A window of another class under the same handle neither.
  const auto [top2, edit2] = Editor(20);
  session.LinkFromOutside(edit2, "C:\\b.txt");
  windows.Get(top2).className = "Other";
  EXPECT_FALSE(session.TargetUsable());
}

TEST_F(LinkedSessionTest, TheForegroundEditorBecomesCurrentWhenItIsListed) {
  const auto [top1, edit1] = Editor(10);
  const auto [top2, edit2] = Editor(11);
  const WindowId stranger = windows.Add("Other", 12);
  session.LinkFromOutside(edit1, "C:\\a.txt");
  session.LinkFromOutside(edit2, "C:\\b.txt");
  EXPECT_FALSE(session.FollowForeground(top2)) << "already the target";
  EXPECT_FALSE(session.FollowForeground(stranger));
  EXPECT_EQ(session.FollowForeground(top1), 1u);
  EXPECT_EQ(session.CurrentFile(), "C:\\a.txt");
  EXPECT_EQ(session.LinkedEditWindow(), edit1);
  // Linking the same window again selects it instead of listing it twice.
  EXPECT_FALSE(session.LinkFromOutside(edit2, "C:\\b.txt"));
  EXPECT_EQ(session.Entries().size(), 2u);
  EXPECT_EQ(session.Selected(), 0u);
  EXPECT_EQ(session.Entries()[0].Text(), "*C:\\b.txt");
  // A second window of the first editor's process is told from the first.
  const WindowId top3 = windows.Add("Notepad", 10);
  const WindowId edit3 = windows.AddEditor("Edit", 10, top3);
  session.LinkFromOutside(edit3, "C:\\c.txt");
  EXPECT_EQ(session.FollowForeground(top1), 2u);
  EXPECT_EQ(session.LinkedEditWindow(), edit1);
  EXPECT_EQ(session.FollowForeground(top3), 0u);
  EXPECT_EQ(session.LinkedEditWindow(), edit3);
}

TEST_F(LinkedSessionTest, TheWatchTickAsksAboutOneWindowAtATimeYetSeesEveryClosedEditorAtOnce) {
  std::vector<std::pair<WindowId, WindowId>> editors;
  for (int i = 0; i < 20; ++i) {
    editors.push_back(Editor(10));
    session.LinkFromOutside(editors.back().second, "C:\\f" + std::to_string(i) + ".txt");
  }
  // Two full rounds of turns: nothing goes, and no tick asks more than the
  // editor's window listing and process and class of the two target windows.
  for (int tick = 0; tick < 42; ++tick) {
    windows.windowQueries = 0;
    const LinkedSession::WatchOutcome outcome = session.Watch();
    EXPECT_FALSE(outcome.pruned || outcome.targetGone);
    EXPECT_LE(windows.windowQueries, 5) << "tick " << tick;
  }
  EXPECT_EQ(session.Entries().size(), 20u);
  // An editor closed by hand goes on the very next tick, whoever's turn it is.
  windows.Remove(editors[7].first);
  EXPECT_TRUE(session.Watch().pruned);
  EXPECT_EQ(session.Entries().size(), 19u);
  // A handle another program now owns is not among the editor thread's windows.
  windows.Get(editors[5].first).process = 99;
  EXPECT_TRUE(session.Watch().pruned);
  EXPECT_EQ(session.Entries().size(), 18u);
  // A window of another class under a handle of the same thread is found by
  // the owner check within one round of turns.
  windows.Get(editors[3].first).className = "Other";
  int ticks = 0;
  while (!session.Watch().pruned && ticks < 40) ++ticks;
  EXPECT_LE(ticks, 19);
  EXPECT_EQ(session.Entries().size(), 17u);
  for (const OpenFileEntry& entry : session.Entries()) EXPECT_NE(entry.topWindow, editors[3].first);
  // The current file's editor closes: the target is dropped at once, the path stays.
  const Bytes current = session.CurrentFile();
  windows.Remove(session.LinkedTargetWindow());
  const LinkedSession::WatchOutcome outcome = session.Watch();
  EXPECT_TRUE(outcome.targetGone);
  EXPECT_FALSE(session.HasCurrent());
  EXPECT_EQ(session.LinkedEditWindow(), kNoWindow);
  EXPECT_EQ(session.CurrentFile(), current);
  EXPECT_EQ(session.Entries().size(), 16u);
}

TEST_F(LinkedSessionTest, AnEditWindowInsideAnInnerFrameIsWatchedInFull) {
  // The edit window's parent is a frame inside the editor's top-level window:
  // the entry's top window is the top-level one, and the frame going away
  // (with the edit window) still prunes it.
  const WindowId top = windows.Add("Editor", 10);
  const WindowId frame = windows.Add("Frame", 10, top);
  const WindowId edit = windows.AddEditor("Edit", 10, frame);
  session.LinkFromOutside(edit, "C:\\a.txt");
  ASSERT_EQ(session.Entries()[0].topWindow, top);
  for (int tick = 0; tick < 5; ++tick) {
    const LinkedSession::WatchOutcome outcome = session.Watch();
    EXPECT_FALSE(outcome.pruned || outcome.targetGone);
  }
  windows.Remove(frame);
  const LinkedSession::WatchOutcome outcome = session.Watch();
  EXPECT_TRUE(outcome.pruned || outcome.targetGone);
  EXPECT_TRUE(session.Entries().empty());
  EXPECT_EQ(session.LinkedEditWindow(), kNoWindow);
}

}  // namespace
}  // namespace quiltor
