// IniDocument, FindProfileValue and IniFile against the system's own profile
// functions (GetPrivateProfileStringA / WritePrivateProfileStringA) on a corpus
// of tricky files: every lookup must read the same, and every sequence of
// writes must leave files that read the same.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/files.h"
#include "win/support/win32_profile_file.h"
#include "settings/profile.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

// CP932 texts used below.
const Bytes kSo = "\x83\x5c";    // ソ, second byte 0x5C
const Bytes kHyo = "\x95\x5c";   // 表, second byte 0x5C
const Bytes kYo = "\x97\x5c";    // 予, second byte 0x5C
const Bytes kPo = "\x83\x7c";    // ポ, second byte 0x7C
const Bytes kA = "\x83\x41";     // ア
const Bytes kDi = "\x83\x61";    // ヂ: ア with the second byte in lower case
const Bytes kNihongo = "\x93\xfa\x96\x7b\x8c\xea";  // 日本語

// A lookup in the spelling of the file and in upper case.
std::set<std::pair<Bytes, Bytes>> Both(const Bytes& section, const Bytes& key);

Bytes Repeat(const Bytes& text, int count) {
  Bytes out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

struct CorpusFile {
  const char* name;
  Bytes contents;
  // Where the system is known to read differently from the rules the tool
  // follows, the lookups (section, key) that are left out of the comparison;
  // the unit tests pin the tool's behaviour for them.
  std::set<std::pair<Bytes, Bytes>> skipReads = {};
  // Writes are compared only by what they read back when this is set.
  const char* skipWritesBecause = nullptr;
};

std::vector<CorpusFile> Corpus() {
  const Bytes x2046(2046, 'x');
  const Bytes x2047(2047, 'x');
  const Bytes x2048(2048, 'x');
  const Bytes x3000(3000, 'x');
  std::vector<CorpusFile> c = {
      {"plain", "[Setup]\r\nTimer=100\r\nResize=5\r\n[Quiltor]\r\nTop=10\r\n"},
      {"blanks around equals", "[s]\r\nk1 = v1\r\n  k2=  v2  \r\n\tk3\t=\tv3\t\r\nk4 =\r\n"},
      {"blanks around lines", "   [s]   \r\n   k=v   \r\n"},
      {"double quotes", "[s]\r\na=\"  x  \"\r\nb=\"\"\r\nc=\"q\"\"\r\nd= \"spaced\" \r\n"},
      {"single quotes", "[s]\r\na='x'\r\nb=''\r\nc=' y '\r\n"},
      {"quotes that do not match", "[s]\r\na=\"x'\r\nb='x\"\r\nc=\"x\r\nd=x\"\r\ne=\"\r\nf='\r\n"},
      {"quotes inside", "[s]\r\na=x\"y\"z\r\nb=\"x\" \"y\"\r\nc='it''s'\r\n"},
      {"comment lines", "; top\r\n[s]\r\n;k=1\r\nk=2\r\n ; j=3\r\nj=4\r\n"},
      {"keys without equals", "[s]\r\nalone\r\nother=1\r\nlast\r\n"},
      // Deleting a key removes every line of it, so an older duplicate does not
      // come back into view (the settings dialog relies on removed program
      // entries staying removed); the system's writer removes only the first.
      {"duplicate keys", "[s]\r\nk=first\r\nk=second\r\nK=third\r\n", {},
       "a deleted key stays deleted"},
      {"duplicate sections", "[s]\r\na=1\r\n[t]\r\nb=2\r\n[S]\r\na=3\r\nc=4\r\n"},
      {"CR line ends", "[s]\ra=1\rb=2\r[t]\rc=3\r"},
      {"LF line ends", "[s]\na=1\nb=2\n[t]\nc=3\n"},
      {"no final line end", "[s]\r\na=1\r\nb=2"},
      {"no final line end after a header", "[s]\r\na=1\r\n[t]"},
      {"value over 2047 bytes", "[s]\r\nk=" + x3000 + "\r\nj=after\r\n"},
      {"value of exactly 2047 bytes", "[s]\r\nk=" + x2047 + "\r\n"},
      {"value of 2048 bytes", "[s]\r\nk=" + x2048 + "\r\n"},
      {"quoted value over 2047 bytes", "[s]\r\nk=\"" + x3000 + "\"\r\n"},
      {"quoted value of 2046 bytes", "[s]\r\nk=\"" + x2046 + "\"\r\n"},
      {"Shift-JIS second byte 0x5C",
       "[s]\r\nso=" + kSo + "\r\nhyo=" + kHyo + "\r\nyo=" + kYo + kYo + "\r\nmid=a" + kSo + "b\r\n"},
      {"Shift-JIS second byte 0x7C", "[s]\r\np=" + kPo + "|" + kPo + "||x\r\n"},
      {"Shift-JIS names", "[" + kNihongo + "]\r\n" + kHyo + "=1\r\n" + kSo + "x=2\r\n"},
      {"second bytes are not letters to fold", "[s]\r\n" + kA + "=A\r\n" + kDi + "=DI\r\n"},
      {"names differing in case", "[SeTuP]\r\nTiMeR=100\r\n[quiltor]\r\nMODE=1\r\n"},
      {"empty values", "[s]\r\na=\r\nb= \r\nc=\t\r\n"},
      // Wine finds "[ padded ]" when reading " padded " or "padded", but its
      // section deletion does not trim the name it is given; the tool trims
      // names the same way for every call.
      {"section names with blanks", "[Set up]\r\na=1\r\n[ padded ]\r\nb=2\r\n", {},
       "names are trimmed when deleting too"},
      {"text after the bracket", "[s] trailing\r\na=1\r\n[t]]\r\nb=2\r\n"},
      {"blank lines", "\r\n\r\n[s]\r\n\r\n   \r\na=1\r\n\r\n[t]\r\n\r\nb=2\r\n\r\n"},
      {"equals signs in the value", "[s]\r\na=b=c\r\nurl=http://x/?p=1&q=2\r\n"},
      {"brackets in values", "[s]\r\na=[not a section]\r\nb=x]\r\n"},
      {"data file", "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\nTitle=HTML " + kHyo + "\r\n[Menu00]\r\n"
                    "Count=2\r\nTitle=Tags\r\nM00=0x01,<b>\r\nS00=0\r\n[Edit00]\r\nM00a=<b>\\s\r\n"
                    "M00b=\\Q</b>\\q\r\n"},
      {"settings file",
       "[Version]\r\nNo=170\r\n[Setup]\r\nExtRendoCnt=1\r\nCutPasteKey=202223221\r\nFileFilterC=11\r\n"
       "HotKeyR2=Q\r\n[ExtRendo1]\r\nExt=txt\r\n[Quiltor]\r\nOpenFile0=C:\\" + kHyo + "\\a.txt\r\n"},
      {"empty file", ""},
      {"only comments", "; one\r\n; two"},
      {"key line without equals before the key", "[s]\r\nk\r\nk=2\r\nj=3\r\n"},
      // Wine loses one byte more when the text inside the quotes is exactly
      // 2047 bytes (it cuts before removing the closing quote, then removes a
      // byte of the text); the tool sees the 2047 bytes the limit allows.
      {"quoted value of exactly 2047 bytes", "[s]\r\nk=\"" + x2047 + "\"\r\n", Both("s", "k")},
      {"mixed line ends", "[s]\r\na=1\nb=2\rc=3\r\n"},
      // Wine cuts a long value after 2047 bytes even inside a double-byte
      // character and hands back a lone first byte, which would pair with the
      // next text delivered; the tool ends the value before that character.
      {"double-byte character across the 2047th byte", "[s]\r\nk=" + x2046 + kHyo + "tail\r\n",
       Both("s", "k")},
      {"long double-byte value", "[s]\r\nk=" + Repeat("\x82\xa0", 1500) + "\r\n", Both("s", "k")},
      {"full-width blanks", "[s]\r\na=\x81\x40x\x81\x40\r\nb=\x81\x40\r\n"},
      {"empty key name", "[s]\r\n=v\r\nk=1\r\n"},
      {"bracket without its end", "[s]\r\n[broken\r\nk=1\r\n"},
      {"keys before the first section", "k=0\r\n[s]\r\nk=1\r\n"},
      {"form feed and vertical tab", "[s]\r\na=\fx\v\r\n"},
  };
  return c;
}

// Every section name and key name that appears in a file, found without the
// reader under test, so the lookups cover what the file holds.
struct Names {
  std::vector<Bytes> sections;
  std::vector<Bytes> keys;
};

Names NamesOf(const Bytes& contents) {
  Names names;
  std::set<Bytes> seenSections, seenKeys;
  std::size_t pos = 0;
  while (pos < contents.size()) {
    std::size_t end = contents.find_first_of("\r\n", pos);
    if (end == Bytes::npos) end = contents.size();
    Bytes line = contents.substr(pos, end - pos);
    pos = end + 1;
    std::size_t first = line.find_first_not_of(" \t");
    if (first == Bytes::npos) continue;
    line = line.substr(first);
    if (line[0] == '[') {
      std::size_t close = line.rfind(']');
      if (close != Bytes::npos && close > 0) {
        Bytes name = line.substr(1, close - 1);
        if (seenSections.insert(name).second) names.sections.push_back(name);
      }
    } else if (line[0] != ';') {
      Bytes key = line.substr(0, line.find('='));
      key.erase(key.find_last_not_of(" \t") + 1);
      if (!key.empty() && seenKeys.insert(key).second) names.keys.push_back(key);
    }
  }
  return names;
}

Bytes Upper(Bytes s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(s[i]))) {
      ++i;
    } else if (s[i] >= 'a' && s[i] <= 'z') {
      s[i] = static_cast<char>(s[i] - 'a' + 'A');
    }
  }
  return s;
}

std::set<std::pair<Bytes, Bytes>> Both(const Bytes& section, const Bytes& key) {
  return {{section, key}, {Upper(section), Upper(key)}};
}

std::vector<std::pair<Bytes, Bytes>> Lookups(const Bytes& contents) {
  Names names = NamesOf(contents);
  names.sections.push_back("missing");
  names.keys.push_back("missing");
  std::vector<std::pair<Bytes, Bytes>> lookups;
  for (const Bytes& section : names.sections) {
    for (const Bytes& key : names.keys) {
      lookups.emplace_back(section, key);
      lookups.emplace_back(Upper(section), Upper(key));
    }
  }
  return lookups;
}

Bytes Printable(const Bytes& s) {
  Bytes out;
  for (unsigned char c : s.substr(0, 60)) {
    if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      wsprintfA(hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (s.size() > 60) out += "...(" + std::to_string(s.size()) + " bytes)";
  return out;
}

Bytes TempFolder() {
  char buffer[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, buffer);
  Bytes folder(buffer, length);
  folder += "quiltor-profile-diff\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool WriteRaw(const Bytes& path, const Bytes& contents) {
  Win32FileSystem files;
  return files.ReplaceAll(path, contents);
}

Bytes ReadRaw(const Bytes& path) {
  Win32FileSystem files;
  return files.ReadAll(path).value_or("<missing>");
}

constexpr char kFallback[] = "<fallback>";

TEST(ProfileDiff, RunsWithTheJapaneseCodePage) { EXPECT_EQ(GetACP(), 932u); }

TEST(ProfileDiff, ReadsLikeGetPrivateProfileString) {
  const Bytes folder = TempFolder();
  Win32FileSystem files;
  int index = 0;
  int compared = 0;
  for (const CorpusFile& c : Corpus()) {
    SCOPED_TRACE(c.name);
    const Bytes path = folder + "read" + std::to_string(index++) + ".ini";
    ASSERT_TRUE(WriteRaw(path, c.contents));
    Win32ProfileFile system(path);
    IniFile ours(files, path);
    IniDocument document(c.contents);
    for (const auto& [section, key] : Lookups(c.contents)) {
      if (c.skipReads.count({section, key})) continue;
      SCOPED_TRACE("[" + Printable(section) + "] " + Printable(key));
      Bytes expected = system.GetString(section, key, kFallback);
      EXPECT_EQ(Printable(document.Get(section, key, kFallback)), Printable(expected));
      EXPECT_EQ(Printable(FindProfileValue(c.contents, section, key, kFallback)), Printable(expected));
      EXPECT_EQ(Printable(ours.GetString(section, key, kFallback)), Printable(expected));
      ++compared;
    }
    DeleteFileA(path.c_str());
  }
  std::printf("compared %d lookups in %zu files\n", compared, Corpus().size());
  EXPECT_GT(compared, 300);
}

// One write, applied to both files.
struct Update {
  enum class Kind { kSet, kDeleteKey, kDeleteSection } kind;
  Bytes section;
  Bytes key;
  Bytes value;
};

std::vector<Update> UpdatesFor(const Bytes& contents) {
  Names names = NamesOf(contents);
  std::vector<Update> updates;
  Bytes section = names.sections.empty() ? Bytes("Fresh") : names.sections.front();
  if (!names.keys.empty()) {
    updates.push_back({Update::Kind::kSet, section, Upper(names.keys.front()), "changed"});
  }
  updates.push_back({Update::Kind::kSet, section, "Added", "new " + kHyo});
  updates.push_back({Update::Kind::kSet, "NewSection", "k", "v"});
  updates.push_back({Update::Kind::kSet, "NewSection", "k2", "  \"quoted\"  "});
  if (names.keys.size() > 1) updates.push_back({Update::Kind::kDeleteKey, section, names.keys[1], ""});
  if (names.sections.size() > 1) updates.push_back({Update::Kind::kDeleteSection, names.sections[1], "", ""});
  updates.push_back({Update::Kind::kSet, section, "Added", "again"});
  return updates;
}

bool Apply(ProfileFile& file, const Update& u) {
  switch (u.kind) {
    case Update::Kind::kSet: return file.WriteString(u.section, u.key, u.value);
    case Update::Kind::kDeleteKey: return file.DeleteKey(u.section, u.key);
    case Update::Kind::kDeleteSection: return file.DeleteSection(u.section);
  }
  return false;
}

TEST(ProfileDiff, WritesReadBackLikeWritePrivateProfileString) {
  const Bytes folder = TempFolder();
  Win32FileSystem files;
  int index = 0;
  int sameBytes = 0;
  int sameReads = 0;
  for (const CorpusFile& c : Corpus()) {
    SCOPED_TRACE(c.name);
    const Bytes oursPath = folder + "ours" + std::to_string(index) + ".ini";
    const Bytes systemPath = folder + "system" + std::to_string(index) + ".ini";
    ++index;
    ASSERT_TRUE(WriteRaw(oursPath, c.contents));
    ASSERT_TRUE(WriteRaw(systemPath, c.contents));
    IniFile ours(files, oursPath);
    Win32ProfileFile system(systemPath);
    for (const Update& u : UpdatesFor(c.contents)) {
      EXPECT_TRUE(Apply(ours, u));
      EXPECT_TRUE(Apply(system, u));
    }
    // Let the system write its cached copy to the disk.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, systemPath.c_str());
    const Bytes oursBytes = ReadRaw(oursPath);
    const Bytes systemBytes = ReadRaw(systemPath);
    if (oursBytes == systemBytes) {
      ++sameBytes;
    } else if (!c.skipWritesBecause) {
      // Wine's writer rewrites the whole file from its parsed copy (CRLF on
      // every line, blanks around "=" and blank lines dropped), where the tool
      // keeps every line it does not change byte for byte, as the unit tests
      // check. So the files are compared by what the system reads from them.
      Win32ProfileFile oursThroughSystem(oursPath);
      Bytes names = oursBytes + "\r\n" + systemBytes;
      bool same = true;
      for (const auto& [section, key] : Lookups(names)) {
        if (c.skipReads.count({section, key})) continue;
        SCOPED_TRACE("[" + Printable(section) + "] " + Printable(key));
        Bytes a = oursThroughSystem.GetString(section, key, kFallback);
        Bytes b = system.GetString(section, key, kFallback);
        EXPECT_EQ(Printable(a), Printable(b));
        same = same && a == b;
      }
      if (same) ++sameReads;
    }
    DeleteFileA(oursPath.c_str());
    DeleteFileA(systemPath.c_str());
  }
  std::printf("after writes: %d files byte-identical, %d more read back identically\n", sameBytes,
              sameReads);
}

TEST(ProfileDiff, SettingsFileThatCannotBeWrittenKeepsItsBytes) {
  const Bytes path = TempFolder() + "readonly.ini";
  const Bytes original = "; mine\r\n[Setup]\r\nTimer=100\r\n";
  ASSERT_TRUE(WriteRaw(path, original));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  Win32FileSystem files;
  IniFile file(files, path);
  EXPECT_FALSE(file.WriteString("Setup", "Timer", "250"));
  EXPECT_FALSE(file.DeleteSection("Setup"));
  EXPECT_EQ(ReadRaw(path), original);
  EXPECT_FALSE(files.Exists(path + ".tmp")) << "no temporary file is left behind";
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(file.WriteString("Setup", "Timer", "250"));
  EXPECT_EQ(ReadRaw(path), "; mine\r\n[Setup]\r\nTimer=250\r\n");
  DeleteFileA(path.c_str());

  // A folder that does not exist: the first write fails and creates nothing.
  const Bytes nowhere = TempFolder() + "no such folder\\Quiltor.ini";
  IniFile missing(files, nowhere);
  EXPECT_EQ(missing.GetString("Setup", "Timer", "100"), "100");
  EXPECT_FALSE(missing.WriteString("Version", "No", "170"));
  EXPECT_FALSE(files.Exists(nowhere));
}

TEST(ProfileDiff, Win32FileSystemListsDatesCopiesAndRemoves) {
  const Bytes folder = TempFolder() + "list";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\sub.edt").c_str(), nullptr);  // a folder is not listed
  Win32FileSystem files;
  const Bytes data = folder + "\\" + kHyo + ".edt";  // 表.edt: a name with second byte 0x5C
  ASSERT_TRUE(files.ReplaceAll(data, "[Group]\r\nTitle=x\r\n"));
  ASSERT_TRUE(files.ReplaceAll(folder + "\\notes.txt", "n"));
  EXPECT_EQ(files.List(folder, "*.edt"), std::vector<Bytes>{kHyo + ".edt"});
  EXPECT_TRUE(files.Exists(data));
  ASSERT_TRUE(files.WriteTime(data));
  EXPECT_FALSE(files.WriteTime(folder + "\\missing.edt"));
  ASSERT_TRUE(files.Copy(data, folder + "\\copy.edt"));
  EXPECT_EQ(files.ReadAll(folder + "\\copy.edt"), "[Group]\r\nTitle=x\r\n");
  EXPECT_EQ(files.WriteTime(folder + "\\copy.edt"), files.WriteTime(data)) << "a copy keeps the date";
  ASSERT_TRUE(files.ReplaceAll(data, ""));
  EXPECT_EQ(files.ReadAll(data), "");
  for (const Bytes& name : {kHyo + ".edt", Bytes("notes.txt"), Bytes("copy.edt")}) {
    EXPECT_TRUE(files.Remove(folder + "\\" + name)) << name;
  }
  EXPECT_FALSE(files.Remove(data));
  EXPECT_FALSE(files.ReadAll(data));
  RemoveDirectoryA((folder + "\\sub.edt").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace quiltor
