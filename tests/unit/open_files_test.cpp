#include <gtest/gtest.h>

#include "fakes/fake_clipboard.h"
#include "fakes/fake_windows.h"
#include "linked/open_files.h"

namespace quiltor {
namespace {

TEST(OpenFiles, LinkFromOutsideListsTheFileOnceWithTheOutsideMark) {
  fakes::FakeClipboard clipboard;
  fakes::FakeWindows windows(clipboard);
  const WindowId top = windows.Add("Notepad", 7);
  const WindowId edit = windows.AddEditor("Edit", 7, top);
  const WindowId lone = windows.AddEditor("Edit", 8);

  LinkedState state;
  LinkFromOutside(state, windows, edit, "C:\\a.txt");
  EXPECT_EQ(state.linkedEditWindow, edit);
  EXPECT_EQ(state.linkedTargetWindow, top);
  EXPECT_EQ(state.currentFile, "C:\\a.txt");
  ASSERT_EQ(state.files.Entries().size(), 1u);
  EXPECT_EQ(state.files.Entries()[0].Text(), "*C:\\a.txt");

  LinkFromOutside(state, windows, lone, "C:\\b.txt");  // a window without parent is its own top
  EXPECT_EQ(state.linkedTargetWindow, lone);
  EXPECT_EQ(state.files.Entries()[0].path, "C:\\b.txt");
  EXPECT_EQ(state.files.Selected(), 0u);

  // The same window again selects its entry instead of listing it twice.
  LinkFromOutside(state, windows, edit, "C:\\a.txt");
  EXPECT_EQ(state.files.Entries().size(), 2u);
  EXPECT_EQ(state.files.Selected(), 1u);
  EXPECT_EQ(state.linkedTargetWindow, top);
}

TEST(OpenFiles, RemovingKeepsTheSelectionOnItsEntry) {
  OpenFileList list;
  list.Add({' ', "a", 11});
  list.Add({' ', "b", 12});
  list.Add({' ', "c", 13});  // c b a
  list.Select(2);            // a
  list.Remove(0);
  EXPECT_EQ(list.Selected(), 1u);
  EXPECT_EQ(list.Entries()[*list.Selected()].path, "a");
  list.Remove(1);
  EXPECT_FALSE(list.Selected());
  list.Select(5);
  EXPECT_FALSE(list.Selected());
}

}  // namespace
}  // namespace quiltor
