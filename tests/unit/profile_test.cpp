// The profile-file rules: what readers see, what writers leave on disk.
#include "settings/profile.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"

namespace quiltor {
namespace {

struct ReadCase {
  const char* what;
  Bytes contents;
  Bytes section;
  Bytes key;
  Bytes expected;  // "<fallback>" when the reader must give the fallback
};

// "ア" and "ヂ" differ only in a second byte that is an ASCII letter (0x41 / 0x61).
const Bytes kA = "\x83\x41";
const Bytes kDi = "\x83\x61";
// "ソ" and "表" end in 0x5C, "ポ" ends in 0x7C.
const Bytes kSo = "\x83\x5c";
const Bytes kHyo = "\x95\x5c";
const Bytes kPo = "\x83\x7c";

// Section "a\0b" with key "c", and section "a" with key "b\0c": the two
// must not be taken for one another.
const Bytes kZeroNames("[a\0b]\r\nc=1\r\n[a]\r\nb\0c=2\r\n", 24);

std::vector<ReadCase> ReadCases() {
  const Bytes longValue(3000, 'x');
  return {
      {"plain", "[s]\r\nk=v\r\n", "s", "k", "v"},
      {"blanks around the equals sign", "[s]\r\n  k \t=  v  \r\n", "s", "k", "v"},
      {"blanks inside a value stay", "[s]\r\nk= a  b \r\n", "s", "k", "a  b"},
      {"double quotes", "[s]\r\nk=\"  v  \"\r\n", "s", "k", "  v  "},
      {"single quotes", "[s]\r\nk='v'\r\n", "s", "k", "v"},
      {"quotes that do not match", "[s]\r\nk=\"v'\r\n", "s", "k", "\"v'"},
      {"a lone quote", "[s]\r\nk=\"\r\n", "s", "k", "\""},
      {"only one pair is removed", "[s]\r\nk=\"\"v\"\"\r\n", "s", "k", "\"v\""},
      {"quotes not enclosing", "[s]\r\nk=a\"b\"\r\n", "s", "k", "a\"b\""},
      {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
      {"empty value is not the fallback", "[s]\r\nk=\r\n", "s", "k", ""},
      {"missing key", "[s]\r\nk=v\r\n", "s", "other", "<fallback>"},
      {"missing section", "[s]\r\nk=v\r\n", "t", "k", "<fallback>"},
      {"empty file", "", "s", "k", "<fallback>"},
      {"comment line", "[s]\r\n;k=1\r\n", "s", "k", "<fallback>"},
      {"comment does not hide a later key", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", "2"},
      {"a name without equals sign reads as the fallback", "[s]\r\nk\r\n", "s", "k", "<fallback>"},
      {"and hides later lines of the key", "[s]\r\nk\r\nk=2\r\n", "s", "k", "<fallback>"},
      {"duplicate key: first wins", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1"},
      {"duplicate section: first wins", "[s]\r\nk=1\r\n[s]\r\nk=2\r\n", "s", "k", "1"},
      {"duplicate section: the second is not read", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "s", "k",
       "<fallback>"},
      {"names without regard to case", "[SeTuP]\r\nTiMeR=5\r\n", "setup", "TIMER", "5"},
      {"LF line ends", "[s]\na=1\nk=v\n", "s", "k", "v"},
      {"CR line ends", "[s]\ra=1\rk=v\r", "s", "k", "v"},
      {"CRLF line ends", "[s]\r\na=1\r\nk=v\r\n", "s", "k", "v"},
      {"no final line end", "[s]\r\nk=v", "s", "k", "v"},
      {"key of another section", "[a]\r\nk=1\r\n[b]\r\nj=2\r\n", "b", "k", "<fallback>"},
      {"keys before any section", "k=1\r\n[s]\r\n", "s", "k", "<fallback>"},
      {"blanks inside brackets", "[ s ]\r\nk=v\r\n", "s", "k", "v"},
      {"text after the bracket", "[s] ; note\r\nk=v\r\n", "s", "k", "v"},
      {"value over 2047 bytes is cut", "[s]\r\nk=" + longValue + "\r\n", "s", "k",
       Bytes(kMaxProfileValue, 'x')},
      {"quoted long value is cut after the quote", "[s]\r\nk=\"" + longValue + "\"\r\n", "s", "k",
       Bytes(kMaxProfileValue, 'x')},
      {"cut never splits a double-byte character",
       "[s]\r\nk=" + Bytes(2046, 'x') + kA + "yyy\r\n", "s", "k", Bytes(2046, 'x')},
      {"second byte 0x5C is no escape", "[s]\r\nk=" + kSo + "\r\nj=2\r\n", "s", "k", kSo},
      {"0x5C at the end keeps the next line", "[s]\r\nk=" + kHyo + "\r\nj=2\r\n", "s", "j", "2"},
      {"second byte 0x7C passes", "[s]\r\nk=" + kPo + "|x\r\n", "s", "k", kPo + "|x"},
      {"kanji key names", "[" + kHyo + "]\r\n" + kA + "=1\r\n", kHyo.c_str(), kA.c_str(), "1"},
      {"second bytes are not case-folded", "[s]\r\n" + kA + "=1\r\n", "s", kDi.c_str(),
       "<fallback>"},
      {"second byte 0x5D inside a section name", "[a\x81\x5d]\r\nk=v\r\n", "a\x81\x5d", "k", "v"},
      {"blanks before a section header", "[t]\r\nk=1\r\n \t[s]\r\nk=v\r\n", "s", "k", "v"},
      {"a bracket inside a line starts no section", "[t]\r\nk=1 [s]\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "k", "3"},
      {"nor a second bracket after the first", "[t]\r\nk=[[s]\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "k", "3"},
      {"nor a second byte 0x5B", "[t]\r\n\x83[s]\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "k", "3"},
      {"a later section after CR line ends", "[t]\rk=1\r[s]\rk=v\r", "s", "k", "v"},
      {"a later section after LF line ends", "[t]\nk=1\n\n;c\n[s]\nk=v", "s", "k", "v"},
      {"a section header as the last line", "[t]\r\nk=1\r\n[s]", "s", "k", "<fallback>"},
      {"a zero byte in a key name", kZeroNames, "a", Bytes("b\0c", 3), "2"},
      {"a zero byte in a section name", kZeroNames, Bytes("a\0b", 3), "c", "1"},
  };
}

TEST(ProfileRead, EveryReaderFollowsTheProfileRules) {
  for (const ReadCase& c : ReadCases()) {
    SCOPED_TRACE(c.what);
    Bytes expected = c.expected == "<fallback>" ? Bytes("<fallback>") : c.expected;
    EXPECT_EQ(IniDocument(c.contents).Get(c.section, c.key, "<fallback>"), expected);
    EXPECT_EQ(FindProfileValue(c.contents, c.section, c.key, "<fallback>"), expected);
    // Looked up together with a key that is nowhere, first or second.
    const std::string_view keyFirst[] = {c.key, "absent"};
    const std::string_view keySecond[] = {"absent", c.key};
    EXPECT_EQ(FindProfileValues(c.contents, c.section, keyFirst, "<fallback>"),
              (std::vector<Bytes>{expected, "<fallback>"}));
    EXPECT_EQ(FindProfileValues(c.contents, c.section, keySecond, "<fallback>"),
              (std::vector<Bytes>{"<fallback>", expected}));
    FakeFileSystem files;
    files.Put("C:\\q\\t.ini", c.contents);
    IniFile file(files, "C:\\q\\t.ini");
    EXPECT_EQ(file.GetString(c.section, c.key, "<fallback>"), expected);
  }
}

TEST(ProfileRead, SeveralKeysInOneScanEachFollowTheRules) {
  const Bytes contents = "[s]\r\na\r\nb=1\r\na=2\r\nb=3\r\nC=4\r\n[s]\r\nd=5\r\n";
  const std::string_view keys[] = {"a", "b", "c", "d", "b"};
  // a: a name without "=" hides its later line; b: the first line counts;
  // c: names match without regard to case; d: only the first section counts.
  EXPECT_EQ(FindProfileValues(contents, "S", keys, "-"), (std::vector<Bytes>{"-", "1", "4", "-", "1"}));
  EXPECT_EQ(FindProfileValues(contents, "t", keys, "-"), (std::vector<Bytes>(5, "-")));
  EXPECT_TRUE(FindProfileValues(contents, "s", {}, "-").empty());
}

TEST(ProfileRead, DocumentKnowsSectionsAndKeys) {
  IniDocument doc("[Group]\r\nCount=2\r\n[Menu00]\r\n");
  EXPECT_TRUE(doc.HasSection("group"));
  EXPECT_TRUE(doc.HasSection("MENU00"));
  EXPECT_FALSE(doc.HasSection("Menu01"));
  EXPECT_TRUE(doc.HasKey("GROUP", "count"));
  EXPECT_FALSE(doc.HasKey("Group", "Title"));
  IniDocument copy = doc;  // a copy reads from its own bytes
  doc = IniDocument("");
  EXPECT_EQ(copy.Get("Group", "Count", ""), "2");
}

TEST(ProfileIntegers, SettingsAndDataFileForms) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> settings;
    std::optional<std::int32_t> data;
  };
  const Case cases[] = {
      {"16", 16, 16},
      {"0x10", 16, 16},
      {"0X10", 16, std::nullopt},
      {"$10", 16, std::nullopt},
      {"$ff", 255, std::nullopt},
      {"-5", -5, -5},
      {"+7", 7, 7},
      {"-$10", -16, std::nullopt},
      {"abc", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"12abc", std::nullopt, std::nullopt},
      {"0x", std::nullopt, std::nullopt},
      {"$", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt},
      {"1 2", std::nullopt, std::nullopt},
      {"2147483647", 2147483647, 2147483647},
      {"2147483648", std::nullopt, std::nullopt},
      {"-2147483648", INT32_MIN, INT32_MIN},
      {"$FFFFFFFF", -1, std::nullopt},
      {"$100000000", std::nullopt, std::nullopt},
      {"0x7fffffff", 2147483647, 2147483647},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseSettingsInt(c.text), c.settings);
    EXPECT_EQ(ParseDataInt(c.text), c.data);
  }
  EXPECT_EQ(SettingsIntOr("abc", 100), 100);
  EXPECT_TRUE(SettingsBoolOr("2", false));
  EXPECT_FALSE(SettingsBoolOr("0", true));
  EXPECT_TRUE(SettingsBoolOr("x", true));
  EXPECT_EQ(FormatProfileInt(-202223221), "-202223221");
  EXPECT_EQ(FormatProfileBool(true), "1");
}

struct EditCase {
  const char* what;
  Bytes before;
  const char* section;
  const char* key;
  const char* value;
  Bytes after;
};

TEST(ProfileEdit, SetValueChangesOnlyWhatItMust) {
  const Bytes file =
      "; settings\r\n"
      "[Setup]\r\n"
      "Timer = 100 \r\n"
      "Unknown=keep me\r\n"
      "\r\n"
      "[Other]\r\n"
      "x=\"quoted\"\r\n";
  const EditCase cases[] = {
      {"existing key keeps its spelling and blanks", file, "SETUP", "timer", "250",
       "; settings\r\n[Setup]\r\nTimer = 250\r\nUnknown=keep me\r\n\r\n[Other]\r\nx=\"quoted\"\r\n"},
      {"new key goes after the section's last line", file, "Setup", "Resize", "5",
       "; settings\r\n[Setup]\r\nTimer = 100 \r\nUnknown=keep me\r\nResize=5\r\n\r\n[Other]\r\n"
       "x=\"quoted\"\r\n"},
      {"new section goes at the end", file, "Quiltor", "Mode", "1", file + "[Quiltor]\r\nMode=1\r\n"},
      {"LF file gets LF lines", "[a]\nb=1\n", "a", "c", "2", "[a]\nb=1\nc=2\n"},
      {"CR file gets CR lines", "[a]\rb=1\r", "z", "c", "2", "[a]\rb=1\r[z]\rc=2\r"},
      {"no final line end", "[a]\r\nb=1", "a", "c", "2", "[a]\r\nb=1\r\nc=2\r\n"},
      {"no final line end, new section", "[a]\r\nb=1", "z", "c", "2", "[a]\r\nb=1\r\n[z]\r\nc=2\r\n"},
      {"empty file", "", "Version", "No", "170", "[Version]\r\nNo=170\r\n"},
      {"only the first duplicate changes", "[a]\r\nk=1\r\nk=2\r\n", "a", "k", "9", "[a]\r\nk=9\r\nk=2\r\n"},
      {"empty header-only section", "[a]\r\n[b]\r\n", "a", "k", "v", "[a]\r\nk=v\r\n[b]\r\n"},
      {"value written as given", "[a]\r\nk=1\r\n", "a", "k", " \"x\" ", "[a]\r\nk= \"x\" \r\n"},
      {"empty value", "[a]\r\nk=1\r\n", "a", "k", "", "[a]\r\nk=\r\n"},
      {"a name without equals sign gets the value", "[a]\r\n K \r\nk=2\r\n", "a", "k", "9",
       "[a]\r\n K=9\r\nk=2\r\n"},
      {"kanji second bytes are kept apart", "[a]\r\n" + kA + "=1\r\n", "a", kDi.c_str(), "2",
       "[a]\r\n" + kA + "=1\r\n" + kDi + "=2\r\n"},
      {"0x5C values stay byte for byte", "[a]\r\nk=1\r\n", "a", "k", "\x95\x5c\x83\x5c",
       "[a]\r\nk=\x95\x5c\x83\x5c\r\n"},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<Bytes> after = SetProfileValue(c.before, c.section, c.key, c.value);
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, c.after);
    EXPECT_EQ(FindProfileValue(*after, c.section, c.key, "<none>"), CleanProfileValue(c.value));
  }
}

TEST(ProfileEdit, WritingTheSameValueAgainLeavesTheBytesAsTheyAre) {
  struct Case {
    Bytes before;
    const char* value;
    Bytes after;
  };
  const Case cases[] = {
      {"[a]\r\nk=x\r\n", " y", "[a]\r\nk= y\r\n"},
      {"[a]\r\nk = x\r\n", " y", "[a]\r\nk = y\r\n"},
      {"[a]\r\nk =  \tx\r\n", "\t y", "[a]\r\nk =\t y\r\n"},
      {"[a]\r\nk = x\r\n", "y", "[a]\r\nk = y\r\n"},
      {"[a]\r\nk\r\n", "  y", "[a]\r\nk=  y\r\n"},
      {"[a]\r\nk = x\r\n", "", "[a]\r\nk =\r\n"},
      {"[a]\r\nk =\v\r\n", "", "[a]\r\nk =\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before + "<-" + c.value);
    const std::optional<Bytes> once = SetProfileValue(c.before, "a", "k", c.value);
    ASSERT_TRUE(once);
    EXPECT_EQ(*once, c.after);
    EXPECT_EQ(SetProfileValue(*once, "a", "k", c.value), once);
  }
}

TEST(ProfileEdit, RefusesWhatCannotBeOneLine) {
  const Bytes file = "[a]\r\nk=1\r\n";
  EXPECT_FALSE(SetProfileValue(file, "a", "k", "two\r\nlines"));
  EXPECT_FALSE(SetProfileValue(file, "a", "k", "cr\rhere"));
  EXPECT_FALSE(SetProfileValue(file, "a", "k=x", "1"));
  EXPECT_FALSE(SetProfileValue(file, "a\nb", "k", "1"));
  EXPECT_FALSE(SetProfileValue(file, "", "k", "1"));
  EXPECT_FALSE(SetProfileValue(file, "a", "", "1"));
  EXPECT_FALSE(SetProfileValue(file, "a", ";k", "1"));
  EXPECT_FALSE(SetProfileValue(file, "a", "[k]", "1"));
}

TEST(ProfileEdit, RemovesKeysAndSectionsWithTheirDuplicates) {
  const Bytes file =
      "[a]\r\nk=1\r\n;k=comment\r\nK=2\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\nk=5\r\n";
  EXPECT_EQ(RemoveProfileKey(file, "a", "k"), "[a]\r\n;k=comment\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\nk=5\r\n");
  EXPECT_EQ(RemoveProfileKey(file, "a", "missing"), file);
  EXPECT_EQ(RemoveProfileSection(file, "a"), "[b]\r\nk=4\r\n");
  EXPECT_EQ(RemoveProfileSection(file, "b"), "[a]\r\nk=1\r\n;k=comment\r\nK=2\r\nj=3\r\n[A]\r\nk=5\r\n");
  EXPECT_EQ(RemoveProfileSection(file, "c"), file);
  // An empty name is no key a writer makes, even where a line has one.
  for (const char* empty : {"", " ", "\t "}) EXPECT_EQ(RemoveProfileKey("[a]\r\n=1\r\n", "a", empty), "[a]\r\n=1\r\n");
  // Removing the last line of a file without a final line end.
  EXPECT_EQ(RemoveProfileKey("[a]\r\nj=1\r\nk=2", "a", "k"), "[a]\r\nj=1\r\n");
}

TEST(IniFileTest, MissingFileReadsFallbackAndFirstWriteCreatesIt) {
  FakeFileSystem files;
  IniFile file(files, "C:\\Tool\\Quiltor.ini");
  EXPECT_EQ(file.GetString("Setup", "Timer", "100"), "100");
  ASSERT_TRUE(file.ReadDocument());
  EXPECT_TRUE(file.DeleteKey("Setup", "Timer"));
  EXPECT_TRUE(file.DeleteSection("Setup"));
  EXPECT_FALSE(files.Exists("C:\\Tool\\Quiltor.ini")) << "deleting nothing creates no file";
  ASSERT_TRUE(file.WriteString("Version", "No", "170"));
  EXPECT_EQ(files.Contents("c:/tool/QUILTOR.INI"), "[Version]\r\nNo=170\r\n");
  EXPECT_EQ(file.Path(), "C:\\Tool\\Quiltor.ini");
}

TEST(IniFileTest, EachWriteReachesTheFileAtOnce) {
  FakeFileSystem files;
  IniFile writer(files, "C:\\Tool\\Quiltor.ini");
  IniFile reader(files, "C:\\Tool\\Quiltor.ini");
  ASSERT_TRUE(writer.WriteString("Quiltor", "Mode", "1"));
  EXPECT_EQ(reader.GetString("Quiltor", "Mode", "0"), "1");
  ASSERT_TRUE(writer.WriteString("Quiltor", "Mode", "0"));
  EXPECT_EQ(reader.GetString("Quiltor", "Mode", "x"), "0");
  ASSERT_TRUE(writer.DeleteKey("Quiltor", "Mode"));
  EXPECT_EQ(reader.GetString("Quiltor", "Mode", "x"), "x");
  EXPECT_EQ(files.Contents("C:\\Tool\\Quiltor.ini"), "[Quiltor]\r\n");
}

TEST(IniFileTest, UnchangedContentsAreNotRewritten) {
  FakeFileSystem files;
  files.Put("C:\\q.ini", "[a]\r\nk=1\r\n");
  IniFile file(files, "C:\\q.ini");
  ASSERT_TRUE(file.WriteString("a", "k", "1"));
  ASSERT_TRUE(file.DeleteKey("a", "nothing"));
  EXPECT_EQ(files.TotalWrites(), 0);
}

TEST(IniFileTest, FailedWriteLosesNothing) {
  const Bytes original = "; mine\r\n[Setup]\r\nTimer=100\r\n[Other]\r\nx=1";
  for (auto failure : {FakeFileSystem::WriteFailure::kRefuse, FakeFileSystem::WriteFailure::kMidWrite}) {
    FakeFileSystem files;
    files.Put("C:\\q.ini", original);
    files.FailWrites(failure);
    IniFile file(files, "C:\\q.ini");
    EXPECT_FALSE(file.WriteString("Setup", "Timer", "250"));
    EXPECT_FALSE(file.WriteString("New", "k", "v"));
    EXPECT_FALSE(file.DeleteKey("Setup", "Timer"));
    EXPECT_FALSE(file.DeleteSection("Other"));
    EXPECT_EQ(files.Contents("C:\\q.ini"), original);
    EXPECT_EQ(file.GetString("Setup", "Timer", ""), "100");
  }
}

TEST(IniFileTest, UnreadableFileIsNeverOverwritten) {
  FakeFileSystem files;
  files.Put("C:\\q.ini", "[Setup]\r\nTimer=100\r\n");
  files.SetUnreadable("C:\\q.ini", true);
  IniFile file(files, "C:\\q.ini");
  EXPECT_EQ(file.GetString("Setup", "Timer", "d"), "d");
  EXPECT_FALSE(file.ReadDocument());
  EXPECT_FALSE(file.WriteString("Setup", "Timer", "250"));
  EXPECT_FALSE(file.DeleteSection("Setup"));
  EXPECT_EQ(files.TotalWrites(), 0);
  files.SetUnreadable("C:\\q.ini", false);
  EXPECT_EQ(files.Contents("C:\\q.ini"), "[Setup]\r\nTimer=100\r\n");
}

TEST(FakeFileSystemTest, BehavesLikeAWindowsDisk) {
  FakeFileSystem files;
  files.Put("C:\\Data\\html.edt", "a");
  files.Put("C:\\Data\\Sub\\x.edt", "b");
  files.Put("C:\\Data\\notes.TXT", "c");
  EXPECT_TRUE(files.Exists("c:/data/HTML.EDT"));
  EXPECT_EQ(files.List("C:\\Data", "*.edt"), std::vector<Bytes>{"html.edt"});
  EXPECT_EQ(files.List("c:\\data\\", "*.txt"), std::vector<Bytes>{"notes.TXT"});
  EXPECT_EQ(files.List("C:\\Data", "h?ml.*"), std::vector<Bytes>{"html.edt"});
  ASSERT_TRUE(files.Copy("C:\\Data\\html.edt", "C:\\Data\\copy.edt"));
  EXPECT_EQ(files.WriteTime("C:\\Data\\copy.edt"), files.WriteTime("C:\\Data\\html.edt"));
  ASSERT_TRUE(files.Remove("C:\\Data\\copy.edt"));
  EXPECT_FALSE(files.Remove("C:\\Data\\copy.edt"));
  EXPECT_FALSE(files.WriteTime("C:\\Data\\copy.edt"));

  auto before = files.WriteTime("C:\\Data\\html.edt");
  ASSERT_TRUE(files.ReplaceAll("C:\\Data\\html.edt", "new"));
  EXPECT_GT(*files.WriteTime("C:\\Data\\html.edt"), *before);

  files.FailWritesAfter(1, FakeFileSystem::WriteFailure::kMidWrite);
  EXPECT_TRUE(files.ReplaceAll("C:\\one.ini", "1"));
  EXPECT_FALSE(files.ReplaceAll("C:\\two.ini", "2222"));
  EXPECT_FALSE(files.Exists("C:\\two.ini"));
  EXPECT_EQ(files.Contents("C:\\two.ini.tmp"), "22") << "a full disk leaves a partial temporary file";
  files.FailWrites(FakeFileSystem::WriteFailure::kNone);
  EXPECT_TRUE(files.ReplaceAll("C:\\two.ini", "2222"));
  EXPECT_FALSE(files.Exists("C:\\two.ini.tmp"));
}

}  // namespace
}  // namespace quiltor
