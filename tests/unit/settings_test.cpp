// The settings store: what the tool reads from "Quiltor.ini" and what it
// leaves in the file.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fakes/fake_files.h"
#include "fakes/settings_builder.h"
#include "settings/profile.h"
#include "settings/settings_keys.h"
#include "text/texts.h"

namespace quiltor {
namespace {

const char kIni[] = "C:\\Tool\\Quiltor.ini";

struct SettingsFixture : ::testing::Test {
  FakeFileSystem files;
  IniFile file{files, kIni};

  Bytes Disk() const { return files.Contents(kIni).value_or("<missing>"); }
  AppSettings Load(const Bytes& contents) {
    files.Put(kIni, contents);
    return LoadSettings(file).settings;
  }
};

using LoadTest = SettingsFixture;

TEST_F(LoadTest, WithoutAFileEverythingIsDefaultAndTheFormatIsWritten) {
  LoadedSettings loaded = LoadSettings(file);
  const AppSettings& s = loaded.settings;
  EXPECT_TRUE(loaded.written);
  EXPECT_FALSE(s.quiltor.mode);
  EXPECT_EQ(s.quiltor.top, 0);
  EXPECT_EQ(s.quiltor.left, 0);
  EXPECT_EQ(s.quiltor.height, 282);
  EXPECT_TRUE(s.quiltor.toolBar);
  EXPECT_FALSE(s.quiltor.stayOnTop);
  EXPECT_EQ(s.quiltor.activePage, 10);
  EXPECT_EQ(s.quiltor.openFile, std::vector<Bytes>(10));
  EXPECT_EQ(s.quiltor.quiltorDataHistory, std::vector<Bytes>(20));
  EXPECT_FALSE(s.hotKeyR);
  EXPECT_FALSE(s.hotKeyA);
  EXPECT_EQ(s.hotKeyR2, 'Q');
  EXPECT_EQ(s.hotKeyA2, 'A');
  EXPECT_EQ(s.modeDelivery[kSimpleMode], (DeliverySettings{1, 0, kDefaultCutPasteKey}));
  EXPECT_EQ(s.modeDelivery[kLinkedMode], (DeliverySettings{0, 0, kDefaultCutPasteKey}));
  EXPECT_EQ(s.timer, 100);
  EXPECT_EQ(s.timer + s.timerEZ, 2100);
  EXPECT_EQ(s.bufSize1, 1024);
  EXPECT_EQ(s.bufSize2, 1024);
  EXPECT_EQ(s.lineEnd, "\r\n");
  EXPECT_EQ(s.minHeight, 38);
  EXPECT_EQ(s.maxHeight, 480);
  EXPECT_EQ(s.changeMode, 1);
  EXPECT_EQ(s.closeMode, 1);
  EXPECT_EQ(s.openFiles, 10);
  EXPECT_EQ(s.resize, 5);
  EXPECT_EQ(s.fileKinds.size(), 1u);
  EXPECT_EQ(s.Common().extName, "\x8b\xa4\x92\xca");  // 共通
  EXPECT_EQ(s.Common().cutPasteKey, kDefaultCutPasteKey);
  EXPECT_TRUE(s.programs.empty());
  EXPECT_EQ(s.fileFilter, texts::kDefaultFileFilter);
  EXPECT_EQ(s.no, 170);
  EXPECT_EQ(Disk(), "[Version]\r\nNo=170\r\n");
  // The main window writes the current data file at start.
  ASSERT_TRUE(WriteCurrentDataFile(file, s.quiltor.quiltorData));
  EXPECT_EQ(Disk(), "[Version]\r\nNo=170\r\n[Quiltor]\r\nQuiltorData=\r\n");
}

TEST_F(LoadTest, MigrationConvertsOldKeyCodesOnce) {
  const Bytes old =
      "[Setup]\r\n"
      "CutPasteKey=223221\r\n"
      "CutPasteKeyEZ=337336\r\n"
      "ExtRendoCnt=3\r\n"
      "[ExtRendo1]\r\nExt=c\r\nCutPasteKey=223336\r\n"
      "[ExtRendo2]\r\nExt=h\r\n"
      "[ExtRendo3]\r\nCutPasteKey=337336\r\n";
  AppSettings s = Load(old);
  const Bytes migrated =
      "[Setup]\r\n"
      "CutPasteKey=202223221\r\n"
      "CutPasteKeyEZ=236337336\r\n"
      "ExtRendoCnt=3\r\n"
      "[ExtRendo1]\r\nExt=c\r\nCutPasteKey=202223336\r\n"
      "[ExtRendo2]\r\nExt=h\r\nCutPasteKey=202223221\r\n"
      "[ExtRendo3]\r\nCutPasteKey=236337336\r\n"
      "[Version]\r\nNo=170\r\n";
  EXPECT_EQ(Disk(), migrated);
  EXPECT_EQ(s.modeDelivery[kSimpleMode].cutPasteKey, kInsertDeleteCutPasteKey);
  EXPECT_EQ(s.fileKinds[1].cutPasteKey, 202223336);  // Ctrl+C / Ctrl+X / Shift+Insert
  EXPECT_EQ(s.fileKinds[3].cutPasteKey, kInsertDeleteCutPasteKey);

  int writes = files.TotalWrites();
  LoadSettings(file);
  EXPECT_EQ(Disk(), migrated) << "a second run changes nothing";
  EXPECT_EQ(files.TotalWrites(), writes);
}

TEST_F(LoadTest, MigrationLeavesAbsentKeysAbsentAndCurrentFilesAlone) {
  Load("[Setup]\r\nTimer=50\r\n");
  EXPECT_EQ(Disk(), "[Setup]\r\nTimer=50\r\n[Version]\r\nNo=170\r\n");

  const Bytes current = "[Version]\r\nNo=171\r\n[Setup]\r\nCutPasteKey=223221\r\n";
  AppSettings s = Load(current);
  EXPECT_EQ(Disk(), current);
  // A six-digit value in a current file is not a valid code: Ctrl+C/X/V is used.
  EXPECT_EQ(s.Common().cutPasteKey, kDefaultCutPasteKey);
}

TEST(Migration, ConvertsOldCodes) {
  EXPECT_EQ(MigrateCutPasteKey(223221), 202223221);
  EXPECT_EQ(MigrateCutPasteKey(337336), 236337336);
  EXPECT_EQ(MigrateCutPasteKey(223336), 202223336);
  EXPECT_EQ(MigrateCutPasteKey(2147483000), 2349483000LL) << "no 32-bit overflow";
}

TEST_F(LoadTest, IntegersTakeDecimalAndHexAndFallBackOtherwise) {
  struct Case {
    const char* stored;
    std::int32_t value;
  };
  for (const Case& c : {Case{"0x10", 16}, Case{"$10", 16}, Case{"0X10", 16}, Case{"abc", 1},
                        Case{"", 1}, Case{"-20", -20}, Case{" 250 ", 250}, Case{"\"30\"", 30}}) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(Load(Bytes("[Version]\r\nNo=170\r\n[Setup]\r\nCloseMode=") + c.stored + "\r\n").closeMode, c.value);
  }
  // Values the tool cannot run with are kept to what the settings dialog offers.
  struct Clamped {
    const char* line;
    std::int32_t AppSettings::*field;
    std::int32_t expected;
  };
  for (const Clamped& c : {Clamped{"Timer=0", &AppSettings::timer, 10}, Clamped{"Timer=99999", &AppSettings::timer, 3000},
                           Clamped{"TimerEZ=-1", &AppSettings::timerEZ, 0}, Clamped{"Resize=-3", &AppSettings::resize, 0},
                           Clamped{"MinHeight=0", &AppSettings::minHeight, 38},
                           Clamped{"MaxHeight=20", &AppSettings::maxHeight, 38},
                           Clamped{"MinHeight=5000", &AppSettings::minHeight, 1200}}) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Load(Bytes("[Version]\r\nNo=170\r\n[Setup]\r\n") + c.line + "\r\n").*c.field, c.expected);
  }
  for (const Clamped& c : {Clamped{"ActivePage=-3800", nullptr, 0}, Clamped{"ActivePage=2147483647", nullptr, 99},
                           Clamped{"ActivePage=100", nullptr, 99}, Clamped{"ActivePage=7", nullptr, 7},
                           Clamped{"", nullptr, 10}}) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Load(Bytes("[Version]\r\nNo=170\r\n[Quiltor]\r\n") + c.line + "\r\n").quiltor.activePage, c.expected);
  }
  AppSettings s = Load("[Version]\r\nNo=170\r\n[Quiltor]\r\nMode=2\r\nToolBar=0\r\nStayOnTop=$1\r\n");
  EXPECT_TRUE(s.quiltor.mode);
  EXPECT_FALSE(s.quiltor.toolBar);
  EXPECT_TRUE(s.quiltor.stayOnTop);
}

TEST_F(LoadTest, FileKindCountsAndMissingSections) {
  AppSettings negative = Load("[Version]\r\nNo=170\r\n[Setup]\r\nExtRendoCnt=-3\r\n");
  EXPECT_EQ(negative.ExtRendoCnt(), 0);

  AppSettings s = Load(
      "[Version]\r\nNo=170\r\n[Setup]\r\nExtRendoCnt=3\r\nEditerPath=C:\\ed.exe\r\nPasteKind=1\r\n"
      "[ExtRendo2]\r\nExtName=HTML\r\nExt=htm\r\nEditerParam=-n %f\r\nClassName1=Ed\r\nClassName2=EdView\r\n"
      "PasteKind=1\r\nPasteInterval=50\r\nCutPasteKey=236337336\r\nProgramNo=2\r\n");
  ASSERT_EQ(s.ExtRendoCnt(), 3);
  EXPECT_EQ(s.Common().editerPath, "C:\\ed.exe");
  EXPECT_EQ(s.Common().pasteKind, 1);
  EXPECT_EQ(s.Common().ext, "") << "the common entry has no extension even if Setup had one";
  FileKind html;
  html.extName = "HTML";
  html.ext = "htm";
  html.editerParam = "-n %f";
  html.className1 = "Ed";
  html.className2 = "EdView";
  html.pasteKind = 1;
  html.pasteInterval = 50;
  html.cutPasteKey = 236337336;
  html.programNo = 2;
  EXPECT_EQ(s.fileKinds[2], html);
  EXPECT_EQ(s.fileKinds[1], FileKind{}) << "a missing section reads as defaults";
  EXPECT_EQ(s.fileKinds[3], FileKind{});

  AppSettings huge = Load("[Version]\r\nNo=170\r\n[Setup]\r\nExtRendoCnt=2000000000\r\n");
  EXPECT_EQ(huge.ExtRendoCnt(), kMaxFileKinds);
}

TEST_F(LoadTest, InvalidKeyCodesNeverReachDelivery) {
  // X outside 1..8, YY outside 0..49, zero, negative, too many digits.
  for (const char* bad : {"902223221", "202223250", "0", "-202223221", "1202223221", "202099221"}) {
    SCOPED_TRACE(bad);
    AppSettings s = Load(Bytes("[Version]\r\nNo=170\r\n[Setup]\r\nCutPasteKey=") + bad +
                         "\r\nCutPasteKeyEZ=" + bad + "\r\nExtRendoCnt=1\r\n[ExtRendo1]\r\nCutPasteKey=" +
                         bad + "\r\n");
    EXPECT_EQ(s.Common().cutPasteKey, kDefaultCutPasteKey);
    EXPECT_EQ(s.fileKinds[1].cutPasteKey, kDefaultCutPasteKey);
    EXPECT_EQ(s.modeDelivery[kSimpleMode].cutPasteKey, kDefaultCutPasteKey);
    EXPECT_EQ(s.modeDelivery[kLinkedMode].cutPasteKey, kDefaultCutPasteKey);
  }
  // Before the first SelectFileKind linked mode delivers like the common entry.
  AppSettings s = Load("[Version]\r\nNo=170\r\n[Setup]\r\nPasteKind=1\r\nPasteInterval=40\r\n"
                       "CutPasteKey=236337336\r\n");
  EXPECT_EQ(s.modeDelivery[kLinkedMode], (DeliverySettings{1, 40, 236337336}));
}

TEST(KeyCodes, DecodeAndValidate) {
  EXPECT_EQ(DecodeCutPasteKey(202223221), (CutPasteCodes{202, 223, 221}));
  EXPECT_EQ(DecodeCutPasteKey(236337336), (CutPasteCodes{236, 337, 336}));
  EXPECT_EQ(EncodeCutPasteKey({236, 337, 336}), 236337336);
  EXPECT_EQ(KeyCodeModifiers(337), kModShift);
  EXPECT_EQ(KeyCodeNumber(337), 37);  // Delete
  EXPECT_EQ(KeyCodeModifiers(849), kModCtrl | kModShift | kModAlt);
  struct Case {
    int code;
    bool valid;
  };
  for (Case c : {Case{100, true}, Case{149, true}, Case{150, false}, Case{849, true}, Case{900, false},
                 Case{99, false}, Case{0, false}, Case{-101, false}, Case{1000, false}}) {
    EXPECT_EQ(IsValidKeyCode(c.code), c.valid) << c.code;
  }
  EXPECT_EQ(SanitizeCutPasteKey(0), kDefaultCutPasteKey);
  EXPECT_EQ(SanitizeCutPasteKey(849100135), 849100135);
}

TEST_F(LoadTest, HotKeyLettersTakeTheFirstCharacterOrTheDefault) {
  AppSettings empty = Load("[Version]\r\nNo=170\r\n[Setup]\r\nHotKeyR2=\r\nHotKeyA2=\r\nHotKeyR=1\r\n");
  EXPECT_EQ(empty.hotKeyR2, 'Q');
  EXPECT_EQ(empty.hotKeyA2, 'A');
  EXPECT_TRUE(empty.hotKeyR);
  EXPECT_EQ(empty.timer, 100) << "reading goes on after an empty letter";
  AppSettings set = Load("[Version]\r\nNo=170\r\n[Setup]\r\nHotKeyR2=Zed\r\nHotKeyA2=K\r\nHotKeyA1=6\r\n");
  EXPECT_EQ(set.hotKeyR2, 'Z');
  EXPECT_EQ(set.hotKeyA2, 'K');
  EXPECT_EQ(set.hotKeyA1, 6);
}

TEST_F(LoadTest, ProgramListSkipsEmptyPositionsAndKeepsOrder) {
  AppSettings s = Load(
      "[Version]\r\nNo=170\r\n[Setup]\r\n"
      "ExecProgram0=a.exe\r\nExecCaption0=A\r\nExecParam0=%f\r\n"
      "ExecCaption1=orphan caption\r\n"
      "ExecProgram5=b.exe\r\n"
      "ExecProgram19=c.exe\r\nExecParam19=-x\r\n"
      "ExecProgram20=never.exe\r\n");
  ProgramList expected{{"A", "a.exe", "%f"}, {"", "b.exe", ""}, {"", "c.exe", "-x"}};
  EXPECT_EQ(s.programs, expected);
}

TEST_F(LoadTest, LineEndAndHistoryLengths) {
  struct Case {
    const char* crlf;
    const char* lineEnd;
  };
  for (Case c : {Case{"0", "\r"}, Case{"1", "\n"}, Case{"2", "\r\n"}, Case{"7", "\r\n"}, Case{"x", "\r\n"}}) {
    EXPECT_EQ(Load(Bytes("[Version]\r\nNo=170\r\n[Setup]\r\nCRLF=") + c.crlf + "\r\n").lineEnd, c.lineEnd);
  }
  AppSettings four = Load(
      "[Version]\r\nNo=170\r\n[Setup]\r\nOpenFiles=4\r\n[Quiltor]\r\nOpenFile0=a.txt\r\nOpenFile3=d.txt\r\n"
      "OpenFile4=e.txt\r\nQuiltorData=data\\html.edt\r\nQuiltorData7=x.edt\r\nActivePage=3\r\n");
  EXPECT_EQ(four.quiltor.openFile, (std::vector<Bytes>{"a.txt", "", "", "d.txt"}));
  EXPECT_EQ(four.quiltor.quiltorData, "data\\html.edt");
  EXPECT_EQ(four.quiltor.quiltorDataHistory[7], "x.edt");
  EXPECT_EQ(four.quiltor.activePage, 3);
  EXPECT_EQ(Load("[Version]\r\nNo=170\r\n[Setup]\r\nOpenFiles=100000\r\n").openFiles, kMaxOpenFiles);
  EXPECT_EQ(Load("[Version]\r\nNo=170\r\n[Setup]\r\nOpenFiles=-1\r\n").openFiles, 0);
}

TEST_F(LoadTest, MigrationThatCannotBeWrittenKeepsTheFile) {
  const Bytes old = "; mine\r\n[Setup]\r\nCutPasteKey=337336\r\nExtRendoCnt=1\r\n";
  files.Put(kIni, old);
  files.FailWrites(FakeFileSystem::WriteFailure::kMidWrite);
  LoadedSettings loaded = LoadSettings(file);
  EXPECT_FALSE(loaded.written);
  EXPECT_EQ(Disk(), old);
  EXPECT_EQ(loaded.settings.Common().cutPasteKey, kDefaultCutPasteKey);
  EXPECT_EQ(loaded.settings.timer, 100) << "the settings are still read";
}

// ---- SelectFileKind ------------------------------------------------------------

AppSettings WithKinds(std::vector<Bytes> exts) {
  fakes::SettingsBuilder s;
  s.With([](AppSettings& all) { all.Common().pasteKind = 1; });
  int n = 1;
  for (Bytes& ext : exts) {
    s.Kind(std::move(ext), [n](FileKind& k) {
      k.pasteInterval = 10 * n;
      k.cutPasteKey = 202223221 + n;
      k.programNo = n;
    });
    ++n;
  }
  return s;
}

TEST(SelectFileKindTest, ChoosesByExtension) {
  struct Case {
    const char* what;
    std::vector<Bytes> exts;
    Bytes file;
    int kind;
  };
  const Case cases[] = {
      {"case does not matter", {"htm", "txt"}, "C:\\doc\\README.TXT", 2},
      {"no extension: the kind with an empty Ext", {"txt", "", "c"}, "C:\\src\\Makefile", 2},
      {"no extension and no such kind: common", {"txt", "c"}, "C:\\src\\Makefile", 0},
      {"two kinds of one Ext: the later", {"c", "h", "c"}, "main.c", 3},
      {"unknown extension: common", {"txt"}, "a.pas", 0},
      {"dot in a folder name only", {"dir", ""}, "C:\\my.dir\\Makefile", 2},
      {"only the last dot counts", {"gz", "tar"}, "x.tar.gz", 1},
      {"a name starting with a dot", {"profile"}, "C:\\home\\.profile", 1},
      {"second byte 0x5C in the name", {"c\x95\x5c", "c"}, "C:\\d\\x.c\x95\x5c", 1},  // x.c表
      {"second byte 0x5C in a folder", {"txt"}, "C:\\\x83\x5c\\a.txt", 1},            // ソ
      {"empty current file", {"txt", ""}, "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AppSettings s = WithKinds(c.exts);
    SelectFileKind(s, c.file);
    EXPECT_EQ(s.currentFileKind, c.kind);
    const FileKind& kind = s.fileKinds[c.kind];
    EXPECT_EQ(s.modeDelivery[kLinkedMode], (DeliverySettings{kind.pasteKind, kind.pasteInterval, kind.cutPasteKey}));
  }
}

TEST(SelectFileKindTest, MarksTheDefaultProgramOrFallsBackToTheAssociatedOne) {
  AppSettings s = WithKinds({"a", "b", "c"});  // ProgramNo 1, 2, 3
  s.programs = {{"", "one.exe", ""}, {"", "two.exe", ""}};
  EXPECT_EQ(SelectFileKind(s, "x.a"), DefaultProgram::Listed(0));
  EXPECT_EQ(SelectFileKind(s, "x.b"), DefaultProgram::Listed(1));
  EXPECT_EQ(SelectFileKind(s, "x.c"), DefaultProgram::Associated()) << "ProgramNo 3 names no program";
  EXPECT_EQ(SelectFileKind(s, "x.zzz"), DefaultProgram::Associated());
  s.fileKinds[1].programNo = -4;
  EXPECT_EQ(SelectFileKind(s, "x.a"), DefaultProgram::Associated());
}

TEST(DefaultProgramTest, StoredProgramNoMapsToTheListOrTheAssociatedProgram) {
  struct Case {
    int programNo;
    std::size_t programs;
    DefaultProgram expected;
  };
  const Case cases[] = {
      {0, 3, DefaultProgram::Associated()},  {1, 3, DefaultProgram::Listed(0)},
      {3, 3, DefaultProgram::Listed(2)},     {4, 3, DefaultProgram::Associated()},
      {1, 0, DefaultProgram::Associated()},  {-1, 3, DefaultProgram::Associated()},
      {INT32_MIN, 3, DefaultProgram::Associated()}, {INT32_MAX, 3, DefaultProgram::Associated()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultProgramOf(c.programNo, c.programs), c.expected) << c.programNo << " of " << c.programs;
  }
}

TEST(SelectFileKindTest, InvalidKeyCodeOfAKindIsReplaced) {
  AppSettings s = WithKinds({"txt"});
  s.fileKinds[1].cutPasteKey = 0;  // as a dialog or a hand edit may leave it
  SelectFileKind(s, "a.txt");
  EXPECT_EQ(s.modeDelivery[kLinkedMode].cutPasteKey, kDefaultCutPasteKey);
}

// ---- BuildOpenFilter -----------------------------------------------------------

TEST(BuildOpenFilterTest, OffersTheTickedEntriesInOrder) {
  const Bytes kPo = "\x83\x7c";  // ポ, second byte "|"
  struct Case {
    const char* what;
    Bytes filter;
    Bytes ticks;
    Bytes expected;
  };
  const Case cases[] = {
      {"first of the default", texts::kDefaultFileFilter, "10000000", "\x91S\xcc\xa7\xb2\xd9\x81i*.*\x81j|*.*"},
      {"second only", texts::kDefaultFileFilter, "01", "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9\x81i*.txt\x81j|*.txt"},
      {"no ticks", texts::kDefaultFileFilter, "", ""},
      {"all ticked", "A|*.a||B|*.b||", "11", "A|*.a|B|*.b"},
      {"other characters do not tick", "A|*.a||B|*.b||", "x1", "B|*.b"},
      {"surplus ones add nothing", "A|*.a||B|*.b||", "1111111111", "A|*.a|B|*.b"},
      {"surplus ones on an empty filter", "", "111", ""},
      {"empty entries add nothing", "A|*.a||||B|*.b||", "111", "A|*.a|B|*.b"},
      {"last entry without its closing bars", "A|*.a||B|*.b", "11", "A|*.a|B|*.b"},
      {"a second byte | is not a separator", kPo + "|*.p||B|*.b||", "11", kPo + "|*.p|B|*.b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BuildOpenFilter(c.filter, c.ticks), c.expected);
  }
  FakeFileSystem files;
  files.Put(kIni, "[Version]\r\nNo=170\r\n[Setup]\r\nFileFilter=A|*.a||B|*.b||\r\nFileFilterC=01\r\n");
  IniFile file(files, kIni);
  EXPECT_EQ(LoadSettings(file).settings.openFilter, "B|*.b");
}

// ---- Writers -------------------------------------------------------------------

using WriteTest = SettingsFixture;

WindowState SampleState() {
  WindowState state;
  state.top = 10;
  state.left = 20;
  state.height = 300;
  state.activePage = 2;
  state.toolBar = false;
  state.autoSmall = true;
  state.stayOnTop = true;
  state.hideIcon = false;
  state.openFiles = {"C:\\a.txt", "C:\\b.txt"};
  state.openFileSlots = 4;
  state.quiltorData = "data\\html.edt";
  state.dataFiles = {"data\\html.edt", "data\\c.edt"};
  return state;
}

TEST_F(WriteTest, SaveWindowStateWritesTheKeysInOrder) {
  ASSERT_TRUE(SaveWindowState(file, SampleState()));
  Bytes expected =
      "[Quiltor]\r\nTop=10\r\nLeft=20\r\nHeight=300\r\nActivePage=2\r\nToolBar=0\r\nAutoSmall=1\r\n"
      "StayOnTop=1\r\nHideIcon=0\r\nOpenFile0=C:\\a.txt\r\nOpenFile1=C:\\b.txt\r\nOpenFile2=\r\n"
      "OpenFile3=\r\nQuiltorData=data\\html.edt\r\nQuiltorData0=data\\html.edt\r\nQuiltorData1=data\\c.edt\r\n";
  for (int j = 2; j < 20; ++j) expected += "QuiltorData" + std::to_string(j) + "=\r\n";
  EXPECT_EQ(Disk(), expected);
}

TEST_F(WriteTest, SaveWindowStateKeepsEverythingElse) {
  const Bytes before =
      "; hand-written note\n[Setup]\nTimer=100\n[Quiltor]\nTop=1\nOpenFile0=old.txt\nOpenFile7=stale.txt\n"
      "Unknown=keep\n[Later]\nx=1";
  files.Put(kIni, before);
  ASSERT_TRUE(SaveWindowState(file, SampleState()));
  IniDocument doc(Disk());
  EXPECT_EQ(doc.Get("Quiltor", "Top", ""), "10");
  EXPECT_EQ(doc.Get("Quiltor", "OpenFile0", ""), "C:\\a.txt");
  EXPECT_EQ(doc.Get("Quiltor", "OpenFile7", ""), "stale.txt") << "only OpenFile0..3 are written";
  EXPECT_FALSE(doc.HasKey("Quiltor", "OpenFile4"));
  EXPECT_EQ(Disk().substr(0, 41), "; hand-written note\n[Setup]\nTimer=100\n[Qu");
  EXPECT_NE(Disk().find("Unknown=keep\n"), Bytes::npos);
  EXPECT_EQ(Disk().substr(Disk().size() - 12), "\n[Later]\nx=1");
}

TEST_F(WriteTest, FailedSaveStopsAndLosesNothingOnDisk) {
  const Bytes before = "[Quiltor]\r\nTop=1\r\nLeft=2\r\n";
  files.Put(kIni, before);
  files.FailWritesAfter(1, FakeFileSystem::WriteFailure::kMidWrite);
  EXPECT_FALSE(SaveWindowState(file, SampleState()));
  // The first write (Top) landed whole; the rest of the episode was skipped.
  EXPECT_EQ(Disk(), "[Quiltor]\r\nTop=10\r\nLeft=2\r\n");
  EXPECT_EQ(files.TotalWrites(), 1);

  files.FailWrites(FakeFileSystem::WriteFailure::kRefuse);
  EXPECT_FALSE(WriteMode(file, true));
  EXPECT_FALSE(WriteCurrentDataFile(file, "x.edt"));
  EXPECT_TRUE(DropOpenFileKeys(file, 0)) << "nothing to remove, so nothing to write";
  EXPECT_EQ(Disk(), "[Quiltor]\r\nTop=10\r\nLeft=2\r\n");
}

TEST_F(WriteTest, SingleKeyWriters) {
  ASSERT_TRUE(WriteMode(file, true));
  EXPECT_TRUE(LoadSettings(file).settings.quiltor.mode);
  ASSERT_TRUE(WriteMode(file, false));
  EXPECT_EQ(IniDocument(Disk()).Get("Quiltor", "Mode", ""), "0");
  ASSERT_TRUE(WriteCurrentDataFile(file, "data\\\x95\x5c.edt"));  // 表.edt
  EXPECT_EQ(LoadSettings(file).settings.quiltor.quiltorData, "data\\\x95\x5c.edt");
}

TEST_F(WriteTest, DropOpenFileKeysRemovesThePositionsPastTheLength) {
  Bytes contents = "[Quiltor]\r\n";
  for (int k = 0; k < 20; ++k) contents += "OpenFile" + std::to_string(k) + "=f" + std::to_string(k) + "\r\n";
  contents += "QuiltorData=x\r\n";
  files.Put(kIni, contents);
  ASSERT_TRUE(DropOpenFileKeys(file, 4));
  EXPECT_EQ(Disk(), "[Quiltor]\r\nOpenFile0=f0\r\nOpenFile1=f1\r\nOpenFile2=f2\r\nOpenFile3=f3\r\nQuiltorData=x\r\n");
}

TEST_F(WriteTest, SettingsDialogWritesRoundTrip) {
  files.Put(kIni,
            "[Version]\r\nNo=170\r\n[Setup]\r\nExtRendoCnt=3\r\nExecProgram0=a\r\nExecProgram1=b\r\n"
            "ExecProgram2=c\r\nExecCaption2=C\r\n[ExtRendo1]\r\nExt=x\r\n[ExtRendo2]\r\nExt=y\r\n"
            "[ExtRendo3]\r\nExt=z\r\n[extrendo3]\r\nExt=duplicate\r\n");
  AppSettings s = LoadSettings(file).settings;
  int oldCount = s.ExtRendoCnt();
  s.timer = 250;
  s.timerEZ = 500;
  s.minHeight = 40;
  s.maxHeight = 600;
  s.resize = 0;
  s.openFiles = 4;
  s.makeNew = true;
  s.caretInside = false;
  s.changeMode = 0;
  s.closeMode = 2;
  s.fileFilter = "A|*.a||";
  s.fileFilterC = "1";
  s.lineEnd = "\n";
  s.bufSize1 = 2048;
  s.bufSize2 = 512;
  s.hotKeyR = true;
  s.hotKeyR1 = 3;
  s.hotKeyR2 = 'R';
  s.hotKeyA = true;
  s.hotKeyA1 = 6;
  s.hotKeyA2 = 'T';
  s.modeDelivery[kSimpleMode] = {0, 15, kInsertDeleteCutPasteKey};
  s.Common().editerPath = "C:\\ed.exe";
  s.Common().programNo = 1;
  s.fileKinds.resize(2);
  s.fileKinds[1].extName = "C";
  s.fileKinds[1].ext = "c";
  s.fileKinds[1].className1 = "EdMain";
  s.fileKinds[1].cutPasteKey = 202223336;
  s.programs = {{"Run", "run.exe", "%f"}};
  ASSERT_TRUE(WriteTimerAndSizeKeys(file, s));
  ASSERT_TRUE(WriteFilterKeys(file, s));
  ASSERT_TRUE(WriteLineEndAndHotKeys(file, s));
  ASSERT_TRUE(WriteSimpleModeDelivery(file, s));
  ASSERT_TRUE(WriteFileKinds(file, s.fileKinds, oldCount));
  ASSERT_TRUE(WritePrograms(file, s.programs));

  IniDocument doc(Disk());
  EXPECT_FALSE(doc.HasSection("ExtRendo2"));
  EXPECT_FALSE(doc.HasSection("ExtRendo3")) << "no stale kind, duplicates included";
  EXPECT_FALSE(doc.HasKey("Setup", "ExecProgram1"));
  EXPECT_FALSE(doc.HasKey("Setup", "ExecCaption2"));
  EXPECT_EQ(doc.Get("Setup", "CRLF", ""), "1");
  EXPECT_EQ(doc.Get("Setup", "HotKeyR2", ""), "R");

  AppSettings back = LoadSettings(file).settings;
  back.openFilter.clear();
  back.quiltor = s.quiltor;
  back.quiltor.openFile.resize(4);
  s.openFilter.clear();
  s.quiltor.openFile.resize(4);
  s.modeDelivery[kLinkedMode] = {s.Common().pasteKind, s.Common().pasteInterval, s.Common().cutPasteKey};
  EXPECT_EQ(back.fileKinds, s.fileKinds);
  EXPECT_EQ(back.programs, s.programs);
  EXPECT_EQ(back.modeDelivery, s.modeDelivery);
  EXPECT_EQ(back.timer, 250);
  EXPECT_EQ(back.timerEZ, 500);
  EXPECT_EQ(back.minHeight, 40);
  EXPECT_EQ(back.maxHeight, 600);
  EXPECT_EQ(back.resize, 0);
  EXPECT_EQ(back.openFiles, 4);
  EXPECT_TRUE(back.makeNew);
  EXPECT_FALSE(back.caretInside);
  EXPECT_EQ(back.changeMode, 0);
  EXPECT_EQ(back.closeMode, 2);
  EXPECT_EQ(back.fileFilter, "A|*.a||");
  EXPECT_EQ(back.fileFilterC, "1");
  EXPECT_EQ(back.lineEnd, "\n");
  EXPECT_EQ(back.bufSize1, 2048);
  EXPECT_EQ(back.bufSize2, 512);
  EXPECT_EQ(std::tie(back.hotKeyR, back.hotKeyR1, back.hotKeyR2, back.hotKeyA, back.hotKeyA1, back.hotKeyA2),
            std::make_tuple(true, 3, 'R', true, 6, 'T'));
}

// Every key the tool reads is stored by one of its writes, under the same
// name, and the record's own defaults are the file's.
TEST_F(WriteTest, EveryKeyReadIsWrittenAndTheRecordDefaultsAreTheFilesDefaults) {
  auto writeAll = [](ProfileFile& target, const AppSettings& s) {
    FileKinds kinds = s.fileKinds;
    kinds.resize(2);
    return WriteTimerAndSizeKeys(target, s) && WriteFilterKeys(target, s) && WriteLineEndAndHotKeys(target, s) &&
           WriteSimpleModeDelivery(target, s) && WriteFileKinds(target, kinds, 0) &&
           SaveWindowState(target, WindowState{}) && WriteMode(target, s.quiltor.mode) &&
           WriteLibraryRefused(target, s.quiltor.libraryRefused);
  };
  ASSERT_TRUE(writeAll(file, AppSettings{}));
  const IniDocument doc(Disk());
  for (const KeyName& key : AllKeyNames()) {
    if (key.group == KeyGroup::kReadOnly) continue;
    if (key.section.empty()) {
      EXPECT_TRUE(doc.HasKey("ExtRendo1", key.name)) << key.name;
    } else {
      EXPECT_TRUE(doc.HasKey(key.section, key.name)) << key.section << " " << key.name;
    }
  }

  FakeFileSystem otherFiles;
  IniFile loadedDefaults(otherFiles, kIni);
  ASSERT_TRUE(writeAll(loadedDefaults, LoadSettings(loadedDefaults).settings));
  IniDocument fromLoad(otherFiles.Contents(kIni).value_or(""));
  for (const KeyName& key : AllKeyNames()) {
    if (key.group == KeyGroup::kReadOnly || key.group == KeyGroup::kWindow) continue;
    const Bytes section = key.section.empty() ? "ExtRendo1" : key.section;
    EXPECT_EQ(fromLoad.Get(section, key.name, "<none>"), doc.Get(section, key.name, "<none>")) << key.name;
  }
}

TEST_F(WriteTest, FileKindsWriteStopsAtTheFirstFailure) {
  const Bytes before = "[Setup]\r\nExtRendoCnt=1\r\nExecProgram0=a.exe\r\n[ExtRendo1]\r\nExt=x\r\n";
  files.Put(kIni, before);
  files.FailWrites(FakeFileSystem::WriteFailure::kRefuse);
  FileKinds kinds{CommonFileKind()};
  EXPECT_FALSE(WriteFileKinds(file, kinds, 1));
  EXPECT_FALSE(WritePrograms(file, {}));
  EXPECT_EQ(Disk(), before);
}

}  // namespace
}  // namespace quiltor
