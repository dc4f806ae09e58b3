// OK of the settings dialog: which bytes the settings file holds afterwards,
// what the running tool must apply again, and that the file is written once.
#include "settings/setup_confirm.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/settings_builder.h"
#include "settings/profile.h"
#include "text/texts.h"

namespace quiltor {
namespace {

const Bytes kFolder = "C:\\Tool\\";
const Bytes kIni = "C:\\Tool\\Quiltor.ini";
const Bytes kSystem = "C:\\windows\\system32\\";
const ToolFolders kPortable{kFolder, kFolder};

// A disk whose system folder is kSystem.
class SystemDisk : public FakeFileSystem {
 public:
  Bytes SystemFolder() override { return kSystem; }
};

Bytes Lines(std::initializer_list<const char*> lines) {
  Bytes text;
  for (const char* line : lines) text += Bytes(line) + "\r\n";
  return text;
}

// `text` with `from` replaced by `to`; `from` must occur exactly once.
Bytes Edit(const Bytes& text, const Bytes& from, const Bytes& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, Bytes::npos) << from;
  EXPECT_EQ(text.find(from, at + 1), Bytes::npos) << from;
  if (at == Bytes::npos) return text;
  return text.substr(0, at) + to + text.substr(at + from.size());
}

// A file as the tool leaves it, with a comment, an unknown key and a section
// of some other program; the kinds come last, as the dialog writes them.
const Bytes kFile = Lines({
    "; written by hand",
    "[Version]",
    "No=170",
    "[Setup]",
    "; window",
    "Timer=100", "TimerEZ=2000", "MinHeight=38", "MaxHeight=480", "Resize=5", "OpenFiles=10",
    "MakeNew=0", "CaretInside=1", "Unknown=keep me", "ChangeMode=1", "CloseMode=1",
    "FileFilter=Text|*.txt||All|*.*||", "FileFilterC=11",
    "CRLF=2", "BufSize1=1024", "BufSize2=1024",
    "HotKeyR=0", "HotKeyR1=1", "HotKeyR2=Q", "HotKeyA=0", "HotKeyA1=1", "HotKeyA2=A",
    "PasteKindEZ=1", "PasteIntervalEZ=0", "CutPasteKeyEZ=202223221",
    "ExtRendoCnt=3", "EditerPath=C:\\ed\\ed.exe", "EditerParam=%f", "ClassName1=EdTop", "ClassName2=",
    "PasteKind=0", "PasteInterval=0", "CutPasteKey=202223221", "ProgramNo=0",
    "ExecCaption0=View", "ExecProgram0=view.exe", "ExecParam0=%f",
    "ExecCaption1=", "ExecProgram1=run.exe", "ExecParam1=-x %f",
    "ExecCaption2=Make", "ExecProgram2=make.exe", "ExecParam2=%f",
    "",
    "[Quiltor]",
    "Top=10", "Left=20", "OpenFile0=C:\\a.txt", "OpenFile9=",
    "[Foreign]",
    "Key=value",
    "[ExtRendo1]",
    "ExtName=Text", "Ext=txt", "EditerPath=", "EditerParam=", "ClassName1=", "ClassName2=",
    "PasteKind=0", "PasteInterval=0", "CutPasteKey=202223221", "ProgramNo=1",
    "[ExtRendo2]",
    "ExtName=Html", "Ext=html", "EditerPath=", "EditerParam=", "ClassName1=", "ClassName2=",
    "PasteKind=1", "PasteInterval=20", "CutPasteKey=236337336", "ProgramNo=2",
    "[ExtRendo3]",
    "ExtName=C", "Ext=c", "EditerPath=cc.exe", "EditerParam=", "ClassName1=", "ClassName2=",
    "PasteKind=0", "PasteInterval=0", "CutPasteKey=202223221", "ProgramNo=0",
});

class ConfirmTest : public ::testing::Test {
 protected:
  ConfirmTest() {
    files.Put(kIni, kFile);
    settings = fakes::SettingsFrom(kFile);
    copy = SetupCopy(settings, facts);
  }
  SetupConfirmation Confirm(const Bytes& currentFile = "") {
    return ConfirmSetup(settings, copy, facts, currentFile, kFile);
  }

  SystemDisk files;
  AppSettings settings;
  MainWindowFacts facts{38, 480, true, 1024, 1024, false};
  SetupCopy copy;
};

TEST_F(ConfirmTest, OkWithoutChangesKeepsEveryByte) {
  const SetupConfirmation c = Confirm();
  EXPECT_TRUE(c.fileComplete);
  EXPECT_EQ(c.fileBytes, kFile);
  EXPECT_FALSE(c.reapply.hotKeysChanged);
  EXPECT_FALSE(c.reapply.newBufferSizes);
}

// Files written before the caret setting existed: they behave as if it were
// on, show it ticked, and OK adds the key at the end of its section without
// touching another byte.
TEST_F(ConfirmTest, FileWithoutTheCaretKeyCountsAsOnAndOkAddsIt) {
  const Bytes older = Edit(kFile, "CaretInside=1\r\n", "");
  const AppSettings loaded = fakes::SettingsFrom(older);
  EXPECT_TRUE(loaded.caretInside);
  SetupCopy shown(loaded, facts);
  EXPECT_TRUE(shown.caretInside);
  for (bool ticked : {true, false}) {
    shown.caretInside = ticked;
    const SetupConfirmation c = ConfirmSetup(loaded, shown, facts, "", older);
    EXPECT_EQ(c.settings.caretInside, ticked);
    const Bytes added = ticked ? "CaretInside=1\r\n" : "CaretInside=0\r\n";
    EXPECT_EQ(c.fileBytes, Edit(older, "ExecParam2=%f\r\n", "ExecParam2=%f\r\n" + added));
  }
}

TEST_F(ConfirmTest, OkAfterChangesOnEveryTabChangesExactlyThoseKeys) {
  copy.Type(SetupSpin::kTimer, 250);
  copy.Type(SetupSpin::kMinHeight, 60);
  copy.makeNew = true;
  copy.caretInside = false;
  copy.changeMode = 0;
  copy.filters.SetTicked(1, false);
  copy.filters.Add({"Md", "*.md"});
  copy.crlf = 1;
  copy.Type(SetupSpin::kBufSize1, 3000);
  copy.hotKeyR.on = true;
  copy.hotKeyR.modifiers = 3;
  copy.hotKeyR.text = "e";
  copy.cutPasteEZ.Choose(kDirectKeys);
  copy.cutPasteEZ.keys = {{false, false, true, 38}, {false, false, false, 0}, {true, true, false, 35}};
  copy.ShowKind(3);
  copy.linked.editerPath = "C:\\c\\cc2.exe";
  copy.programs.Select(1);
  copy.programs.Delete();

  Bytes expected = kFile;
  expected = Edit(expected, "Timer=100", "Timer=250");
  expected = Edit(expected, "MinHeight=38", "MinHeight=60");
  expected = Edit(expected, "MakeNew=0", "MakeNew=1");
  expected = Edit(expected, "CaretInside=1", "CaretInside=0");
  expected = Edit(expected, "ChangeMode=1", "ChangeMode=0");
  expected = Edit(expected, "FileFilter=Text|*.txt||All|*.*||", "FileFilter=Text|*.txt||All|*.*||Md|*.md||");
  expected = Edit(expected, "FileFilterC=11", "FileFilterC=100");
  expected = Edit(expected, "CRLF=2", "CRLF=1");
  expected = Edit(expected, "BufSize1=1024", "BufSize1=4096");
  expected = Edit(expected, "HotKeyR=0", "HotKeyR=1");
  expected = Edit(expected, "HotKeyR1=1", "HotKeyR1=3");
  expected = Edit(expected, "HotKeyR2=Q", "HotKeyR2=E");
  expected = Edit(expected, "CutPasteKeyEZ=202223221", "CutPasteKeyEZ=538100435");
  expected = Edit(expected, "ExecCaption1=\r\nExecProgram1=run.exe\r\nExecParam1=-x %f",
                  "ExecCaption1=Make\r\nExecProgram1=make.exe\r\nExecParam1=%f");
  expected = Edit(expected, "ExecCaption2=Make\r\nExecProgram2=make.exe\r\nExecParam2=%f\r\n", "");
  expected = Edit(expected, "EditerPath=cc.exe", "EditerPath=C:\\c\\cc2.exe");

  const SetupConfirmation c = Confirm();
  EXPECT_EQ(c.fileBytes, expected);
  EXPECT_EQ(c.settings.modeDelivery[kSimpleMode].cutPasteKey, 538100435);
  EXPECT_EQ(c.settings.fileFilterC, "100");
  EXPECT_EQ(c.settings.openFilter, "Text|*.txt");
  EXPECT_EQ(c.settings.lineEnd, "\n");
  EXPECT_EQ(c.settings.hotKeyR2, 'E');
  EXPECT_EQ(c.settings.programs.size(), 2u);
  EXPECT_EQ(c.settings.fileKinds[3].editerPath, "C:\\c\\cc2.exe");
}

TEST_F(ConfirmTest, KindsAreRenumberedInTheirNewOrderAndStaleSectionsGo) {
  KindWorkingList work(copy.kinds);
  work.Move(2, 0);  // the third kind above the first
  work.Select(2);
  work.Delete();    // and the former second kind gone
  work.ApplyTo(copy.kinds, copy.linked);

  const SetupConfirmation c = Confirm();
  const IniDocument after(c.fileBytes);
  EXPECT_EQ(after.Get("Setup", "ExtRendoCnt", ""), "2");
  EXPECT_EQ(after.Get("ExtRendo1", "Ext", ""), "c");
  EXPECT_EQ(after.Get("ExtRendo1", "EditerPath", ""), "cc.exe");
  EXPECT_EQ(after.Get("ExtRendo2", "Ext", ""), "txt");
  EXPECT_EQ(after.Get("ExtRendo2", "ProgramNo", ""), "1");
  EXPECT_FALSE(after.HasSection("ExtRendo3"));
  EXPECT_EQ(after.Get("Foreign", "Key", ""), "value");
  EXPECT_EQ(after.Get("Quiltor", "OpenFile0", ""), "C:\\a.txt");
}

TEST_F(ConfirmTest, KindSectionsInTheMiddleOfTheFileMoveToItsEndAndNothingElseMoves) {
  const Bytes middle = Lines({"[Setup]", "ExtRendoCnt=1", "[ExtRendo1]", "Ext=txt", "Junk=1", "[Quiltor]",
                              "Top=1"});
  const AppSettings s = fakes::SettingsBuilder().Kind("txt");
  SetupCopy edited(s, facts);
  const SetupConfirmation c = ConfirmSetup(s, edited, facts, "", middle);
  const Bytes start = Lines({"[Setup]", "ExtRendoCnt=1"});
  EXPECT_EQ(c.fileBytes.substr(0, start.size()), start);
  EXPECT_NE(c.fileBytes.find("\r\n[Quiltor]\r\nTop=1\r\n[ExtRendo1]\r\nExtName=\r\nExt=txt\r\n"), Bytes::npos);
  EXPECT_EQ(c.fileBytes.find("Junk"), Bytes::npos);
}

TEST_F(ConfirmTest, ShorterHistoryDropsTheSurplusFileKeys) {
  copy.Type(SetupSpin::kOpenFiles, 5);
  const SetupConfirmation c = Confirm();
  EXPECT_EQ(c.fileBytes, Edit(Edit(kFile, "OpenFiles=10", "OpenFiles=5"), "OpenFile9=\r\n", ""));
  EXPECT_EQ(c.reapply.openFiles, 5);
}

TEST_F(ConfirmTest, ReapplyNamesWhatTheRunningToolMustChange) {
  struct Case {
    int buf1;
    int buf2;
    std::optional<BufferSizes> recreate;
  };
  const Case cases[] = {{1024, 1024, std::nullopt}, {2048, 1024, BufferSizes{2048, 1024}},
                        {1024, 256, BufferSizes{1024, 256}}};
  for (const Case& c : cases) {
    copy.Type(SetupSpin::kBufSize1, c.buf1);
    copy.Type(SetupSpin::kBufSize2, c.buf2);
    EXPECT_EQ(Confirm().reapply.newBufferSizes, c.recreate) << c.buf1 << " " << c.buf2;
  }

  copy.hotKeyA.text = "z";
  EXPECT_TRUE(Confirm().reapply.hotKeysChanged);
  copy.hotKeyA.text = "A";
  copy.hotKeyR.modifiers = 2;
  EXPECT_TRUE(Confirm().reapply.hotKeysChanged);
  copy.hotKeyR.modifiers = 1;
  EXPECT_FALSE(Confirm().reapply.hotKeysChanged);

  copy.Type(SetupSpin::kMinHeight, 45);
  copy.Type(SetupSpin::kMaxHeight, 600);
  copy.crlf = 0;
  const SetupConfirmation c = Confirm("C:\\doc\\page.HTML");
  EXPECT_EQ(c.reapply.shrinkHeight, 45);
  EXPECT_EQ(c.reapply.maxHeight, 600);
  EXPECT_EQ(c.reapply.lineEnd, "\r");
  EXPECT_EQ(c.settings.currentFileKind, 2);
  EXPECT_EQ(c.settings.modeDelivery[kLinkedMode], (DeliverySettings{1, 20, 236337336}));
  EXPECT_EQ(c.reapply.defaultProgram, DefaultProgram::Listed(1));  // ProgramNo 2
}

TEST_F(ConfirmTest, MissingFileIsCreatedWithTheKeysInTheDialogsOrder) {
  FakeFileSystem none;
  IniFile missing(none, kIni);
  const AppSettings s = LoadSettings(missing).settings;
  SetupCopy edited(s, facts);
  edited.programs.Add({"V", "v.exe", "%f"});
  const SetupConfirmation c = ConfirmSetup(s, edited, facts, "", "");
  const Bytes defaultsLine = Bytes("FileFilter=") + texts::kDefaultFileFilter;
  EXPECT_EQ(c.fileBytes,
            Lines({"[Setup]", "Timer=100", "TimerEZ=2000", "MinHeight=38", "MaxHeight=480", "Resize=5",
                   "OpenFiles=10", "MakeNew=0", "CaretInside=1", "ChangeMode=1", "CloseMode=1", defaultsLine.c_str(),
                   "FileFilterC=11111111", "CRLF=2", "BufSize1=1024", "BufSize2=1024", "HotKeyR=0",
                   "HotKeyR1=1", "HotKeyR2=Q", "HotKeyA=0", "HotKeyA1=1", "HotKeyA2=A", "PasteKindEZ=1",
                   "PasteIntervalEZ=0", "CutPasteKeyEZ=202223221", "ExtRendoCnt=0", "EditerPath=",
                   "EditerParam=", "ClassName1=", "ClassName2=", "PasteKind=0", "PasteInterval=0",
                   "CutPasteKey=202223221", "ProgramNo=0", "ExecCaption0=V", "ExecProgram0=v.exe",
                   "ExecParam0=%f"}));
}

TEST_F(ConfirmTest, ValueThatCannotBeOneLineLeavesTheFileAlone) {
  copy.linked.editerParam = "a\r\nb";
  const SetupConfirmation c = Confirm();
  EXPECT_FALSE(c.fileComplete);
  EXPECT_EQ(c.fileBytes, kFile);
}

TEST_F(ConfirmTest, CommitReplacesTheFileOnceOrNotAtAll) {
  copy.Type(SetupSpin::kTimer, 300);
  SetupCommit commit = CommitSetup(files, kPortable, settings, copy, facts, "");
  EXPECT_TRUE(commit.written);
  EXPECT_EQ(files.WriteCount(kIni), 1);
  EXPECT_EQ(files.Contents(kIni), Edit(kFile, "Timer=100", "Timer=300"));

  // Nothing changed: nothing written.
  commit = CommitSetup(files, kPortable, commit.confirmation.settings, copy, facts, "");
  EXPECT_TRUE(commit.written);
  EXPECT_EQ(files.WriteCount(kIni), 1);

  copy.Type(SetupSpin::kTimer, 400);
  files.SetUnreadable(kIni, true);
  commit = CommitSetup(files, kPortable, settings, copy, facts, "");
  EXPECT_FALSE(commit.written);
  EXPECT_EQ(commit.confirmation.settings.timer, 400);  // the settings still take effect
  files.SetUnreadable(kIni, false);
  files.FailWrites(FakeFileSystem::WriteFailure::kMidWrite);
  EXPECT_FALSE(CommitSetup(files, kPortable, settings, copy, facts, "").written);
  EXPECT_EQ(files.Contents(kIni), Edit(kFile, "Timer=100", "Timer=300"));
}

TEST_F(ConfirmTest, CompanionLibraryFollowsTheBoxAndARefusalIsNamedAndLeavesItsRealPresence) {
  const Bytes installed = kSystem + "Quiltor.dll";
  files.Put(kFolder + "Quiltor.dll", "library");
  copy.library = true;
  EXPECT_EQ(CommitSetup(files, kPortable, settings, copy, facts, "").libraryRefused, std::nullopt);
  EXPECT_EQ(files.Contents(installed), "library");
  EXPECT_TRUE(CompanionLibraryInstalled(files));

  // A user who is no administrator: the system folder takes no write.
  copy.library = false;
  files.ProtectFolder(kSystem);
  const SetupCommit refused = CommitSetup(files, kPortable, settings, copy, facts, "");
  EXPECT_TRUE(refused.written);
  EXPECT_EQ(refused.libraryRefused, installed);
  EXPECT_TRUE(CompanionLibraryInstalled(files));
  EXPECT_TRUE(SetupCopy(settings, {38, 480, true, 1024, 1024, CompanionLibraryInstalled(files)}).library);
}

TEST_F(ConfirmTest, SettingsInTheUsersFolderAreWrittenThereAndTheLibraryComesFromTheProgram) {
  const Bytes user = "C:\\Users\\u\\AppData\\Roaming\\Quiltor\\";
  files.Put(user + "Quiltor.ini", kFile);
  files.Put(kFolder + "Quiltor.dll", "library");
  files.ProtectFolder(kFolder);
  copy.Type(SetupSpin::kTimer, 300);
  copy.library = true;
  const SetupCommit commit = CommitSetup(files, ToolFolders{kFolder, user}, settings, copy, facts, "");
  EXPECT_TRUE(commit.written);
  EXPECT_EQ(files.Contents(user + "Quiltor.ini"), Edit(kFile, "Timer=100", "Timer=300"));
  EXPECT_EQ(files.Contents(kIni), kFile);
  EXPECT_EQ(files.Contents(kSystem + "Quiltor.dll"), "library");
}

}  // namespace
}  // namespace quiltor
