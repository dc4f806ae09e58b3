// Starting a real editor (Wine's notepad) and finding its windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "delivery/launch.h"
#include "fakes/fake_files.h"
#include "linked/linked_session.h"
#include "platform/win32/platform.h"
#include "support/notepad.h"

namespace quiltor {
namespace {

HWND Handle(WindowId window) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }

class DiskFiles : public NoFiles {
 public:
  bool Exists(const Bytes& path) override { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

// Closes a notepad the launcher started, whatever the test found.
void CloseNotepadOf(HWND window) {
  if (!window) return;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  HWND top = GetAncestor(window, GA_ROOT);
  if (HWND edit = FindWindowExA(top, nullptr, "Edit", nullptr)) SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
  PostMessageA(top, WM_CLOSE, 0, 0);
  if (HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process)) {
    if (WaitForSingleObject(handle, 5000) != WAIT_OBJECT_0) TerminateProcess(handle, 1);
    CloseHandle(handle);
  }
}

class LaunchNotepadTest : public ::testing::Test {
 protected:
  Win32Platform platform;
  DiskFiles files;
  Launcher launcher{*platform.processes, *platform.windows, files};
  int questions = 0;
  AskToContinue cancel = [this](std::wstring_view) {
    ++questions;
    return false;
  };
};

TEST_F(LaunchNotepadTest, FindsItsOwnNotepadsEditWindowNotAnEarlierOne) {
  wintest::Notepad earlier;  // started by someone else, before
  ASSERT_TRUE(earlier.Ready());
  const WindowId edit = launcher.StartProcessAndFindWindow("notepad.exe", true, "Notepad", "Edit", cancel);
  ASSERT_NE(edit, kNoWindow);
  const WindowId top = launcher.Search().top;
  EXPECT_NE(Handle(edit), earlier.Edit());
  EXPECT_NE(Handle(top), earlier.Top());
  EXPECT_EQ(platform.windows->ClassName(edit), "Edit");
  EXPECT_EQ(platform.windows->ClassName(top), "Notepad");
  EXPECT_EQ(GetAncestor(Handle(edit), GA_ROOT), Handle(top));
  EXPECT_EQ(questions, 0);
  CloseNotepadOf(Handle(top));
}

TEST_F(LaunchNotepadTest, TheLinkedWatchSeesARealEditorCloseByItsThreadsWindowList) {
  wintest::Notepad first;
  wintest::Notepad second;
  ASSERT_TRUE(first.Ready() && second.Ready());
  LinkedSession session{*platform.windows};
  session.LinkFromOutside(reinterpret_cast<std::uintptr_t>(first.Edit()), "C:\\a.txt");
  session.LinkFromOutside(reinterpret_cast<std::uintptr_t>(second.Edit()), "C:\\b.txt");
  ASSERT_EQ(session.Entries().size(), 2u);
  EXPECT_EQ(Handle(session.Entries()[0].topWindow), second.Top());
  EXPECT_NE(session.Entries()[0].thread, 0u);
  // Round more than all turns: both editors are there, nothing goes.
  for (int tick = 0; tick < 6; ++tick) {
    const LinkedSession::WatchOutcome outcome = session.Watch();
    EXPECT_FALSE(outcome.pruned || outcome.targetGone) << "tick " << tick;
  }
  // The older one closes: its entry goes on the next tick, the target stays.
  first.MarkSaved();
  CloseNotepadOf(first.Top());
  const LinkedSession::WatchOutcome outcome = session.Watch();
  EXPECT_TRUE(outcome.pruned);
  EXPECT_FALSE(outcome.targetGone);
  ASSERT_EQ(session.Entries().size(), 1u);
  EXPECT_EQ(session.CurrentFile(), "C:\\b.txt");
  // Then the current one.
  second.MarkSaved();
  CloseNotepadOf(second.Top());
  EXPECT_TRUE(session.Watch().targetGone);
  EXPECT_TRUE(session.Entries().empty());
}

TEST_F(LaunchNotepadTest, EmptyEditClassGivesTheTopWindow) {
  const WindowId edit = launcher.StartProcessAndFindWindow("notepad.exe", true, "Notepad", "", cancel);
  ASSERT_NE(edit, kNoWindow);
  EXPECT_EQ(edit, launcher.Search().top);
  EXPECT_EQ(platform.windows->ClassName(edit), "Notepad");
  CloseNotepadOf(Handle(edit));
}

TEST_F(LaunchNotepadTest, WrongClassAsksAndCancelGivesNull) {
  const WindowId edit = launcher.StartProcessAndFindWindow("notepad.exe", true, "Notepad", "NoSuchClass", cancel);
  EXPECT_EQ(edit, kNoWindow);
  EXPECT_EQ(questions, 1);
  EXPECT_NE(launcher.Search().top, kNoWindow) << "the top window is kept for the caller";
  CloseNotepadOf(Handle(launcher.Search().top));
}

TEST_F(LaunchNotepadTest, ProgramThatCannotStartGivesNullWithoutQuestion) {
  EXPECT_EQ(launcher.StartProcessAndFindWindow("C:\\no\\such\\program.exe", true, "Notepad", "Edit", cancel), kNoWindow);
  EXPECT_EQ(questions, 0);
}

TEST_F(LaunchNotepadTest, OpenWithAssociationNeedsAnExistingFile) {
  EXPECT_FALSE(launcher.OpenWithAssociation("C:\\no\\such\\file.txt"));
}

}  // namespace
}  // namespace quiltor
