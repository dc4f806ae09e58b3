#include "settings/settings.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "settings/profile.h"
#include "text/cp932.h"

namespace quiltor {

const char kDefaultFileFilter[] =
    // 全ﾌｧｲﾙ（*.*）|*.*||
    "\x91S\xcc\xa7\xb2\xd9\x81i*.*\x81j|*.*||"
    // ﾃｷｽﾄﾌｧｲﾙ（*.txt）|*.txt||
    "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9\x81i*.txt\x81j|*.txt||"
    // ﾊﾞｯﾁﾌｧｲﾙ（*.bat）|*.bat||
    "\xca\xde\xaf\xc1\xcc\xa7\xb2\xd9\x81i*.bat\x81j|*.bat||"
    // HTML関連（*.html;*.htm;*.js）|*.html;*.htm;*.js||
    "HTML\x8a\xd6\x98"
    "A\x81i*.html;*.htm;*.js\x81j|*.html;*.htm;*.js||"
    // CGI＆Perl（*.cgi;*.pl）|*.cgi;*.pl||
    "CGI\x81\x95Perl\x81i*.cgi;*.pl\x81j|*.cgi;*.pl||"
    // C言語関連（*.c;*.cpp;*.h;*.hpp）|*.c;*.cpp;*.h;*.hpp||
    "C\x8c\xbe\x8c\xea\x8a\xd6\x98"
    "A\x81i*.c;*.cpp;*.h;*.hpp\x81j|*.c;*.cpp;*.h;*.hpp||"
    // ｱｾﾝﾌﾞﾗ関連（*.asm;*.inc）|*.asm;*.inc||
    "\xb1\xbe\xdd\xcc\xde\xd7\x8a\xd6\x98"
    "A\x81i*.asm;*.inc\x81j|*.asm;*.inc||"
    // HSPｿｰｽ（*.as）|*.as||
    "HSP\xbf\xb0\xbd\x81i*.as\x81j|*.as||";

namespace {

// A six-digit code of old files with Ctrl+C in front.
constexpr std::int64_t kOldDefaultCutPasteKey = 223221;
constexpr std::int64_t kOldInsertDeleteCutPasteKey = 337336;

Bytes Numbered(std::string_view name, int n) { return Bytes(name) + std::to_string(n); }

// Reads keys of one file: from one parsed copy when the file offers it, else
// key by key.
class SettingsReader {
 public:
  explicit SettingsReader(ProfileFile& file) : file_(file) {
    if (auto* ini = dynamic_cast<IniFile*>(&file)) document_ = ini->ReadDocument();
  }

  Bytes String(const Bytes& section, const Bytes& key, const Bytes& fallback) {
    if (document_) return document_->Get(section, key, fallback);
    return file_.GetString(section, key, fallback);
  }
  std::int32_t Int(const Bytes& section, const Bytes& key, std::int32_t fallback) {
    return SettingsIntOr(String(section, key, ""), fallback);
  }
  bool Bool(const Bytes& section, const Bytes& key, bool fallback) {
    return SettingsBoolOr(String(section, key, ""), fallback);
  }
  // The first character of the value; `fallback` for an empty value.
  char Letter(const Bytes& section, const Bytes& key, char fallback) {
    Bytes value = String(section, key, Bytes(1, fallback));
    return value.empty() ? fallback : value.front();
  }

 private:
  ProfileFile& file_;
  std::optional<IniDocument> document_;
};

// The fields of a file kind shared by "Setup" (common entry) and "ExtRendo<n>".
void ReadKindKeys(SettingsReader& reader, const Bytes& section, FileKind& kind) {
  kind.editerPath = reader.String(section, "EditerPath", "");
  kind.editerParam = reader.String(section, "EditerParam", "");
  kind.className1 = reader.String(section, "ClassName1", "");
  kind.className2 = reader.String(section, "ClassName2", "");
  kind.pasteKind = reader.Int(section, "PasteKind", 0);
  kind.pasteInterval = reader.Int(section, "PasteInterval", 0);
  kind.cutPasteKey = SanitizeCutPasteKey(reader.Int(section, "CutPasteKey", kDefaultCutPasteKey));
  kind.programNo = reader.Int(section, "ProgramNo", 0);
}

int FileKindCount(std::int32_t extRendoCnt) { return std::clamp(extRendoCnt, 0, kMaxFileKinds); }

// Writes key after key and stops at the first failure.
class Writer {
 public:
  Writer(ProfileFile& file, Bytes section) : file_(file), section_(std::move(section)) {}
  Writer& String(const Bytes& key, const Bytes& value) {
    ok_ = ok_ && file_.WriteString(section_, key, value);
    return *this;
  }
  Writer& Int(const Bytes& key, std::int64_t value) { return String(key, FormatProfileInt(value)); }
  Writer& Bool(const Bytes& key, bool value) { return String(key, FormatProfileBool(value)); }
  Writer& Delete(const Bytes& key) {
    ok_ = ok_ && file_.DeleteKey(section_, key);
    return *this;
  }
  bool Ok() const { return ok_; }

 private:
  ProfileFile& file_;
  Bytes section_;
  bool ok_ = true;
};

void WriteKindKeys(Writer& writer, const FileKind& kind) {
  writer.String("EditerPath", kind.editerPath)
      .String("EditerParam", kind.editerParam)
      .String("ClassName1", kind.className1)
      .String("ClassName2", kind.className2)
      .Int("PasteKind", kind.pasteKind)
      .Int("PasteInterval", kind.pasteInterval)
      .Int("CutPasteKey", kind.cutPasteKey)
      .Int("ProgramNo", kind.programNo);
}

// The first "||" that does not begin inside a double-byte character.
std::size_t FindEntryEnd(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text[i] == '|' && text[i + 1] == '|') {
      return i;
    }
  }
  return std::string_view::npos;
}

bool SameExtension(const Bytes& a, const Bytes& b) { return EqualsIgnoringAsciiCase(a, b); }

}  // namespace

DeliverySettings SanitizeDelivery(DeliverySettings delivery) {
  delivery.cutPasteKey = SanitizeCutPasteKey(delivery.cutPasteKey);
  return delivery;
}

std::int64_t MigrateCutPasteKey(std::int64_t oldValue) {
  if (oldValue == kOldDefaultCutPasteKey) return kDefaultCutPasteKey;
  if (oldValue == kOldInsertDeleteCutPasteKey) return kInsertDeleteCutPasteKey;
  return oldValue + 202000000;
}

// ---- Reading -----------------------------------------------------------------

bool MigrateSettings(ProfileFile& file) {
  auto readInt = [&](const Bytes& section, const Bytes& key, std::int32_t fallback) {
    return SettingsIntOr(file.GetString(section, key, ""), fallback);
  };
  if (readInt(kSectionVersion, "No", 0) >= kSettingsFormat) return true;

  Writer setup(file, kSectionSetup);
  for (const char* key : {"CutPasteKeyEZ", "CutPasteKey"}) {
    std::int32_t value = readInt(kSectionSetup, key, -1);
    if (value != -1) setup.Int(key, MigrateCutPasteKey(value));
  }
  if (!setup.Ok()) return false;

  int count = FileKindCount(readInt(kSectionSetup, "ExtRendoCnt", 0));
  for (int n = 1; n <= count; ++n) {
    Bytes section = Numbered(kExtRendoPrefix, n);
    std::int32_t value = readInt(section, "CutPasteKey", kOldDefaultCutPasteKey);
    if (!Writer(file, section).Int("CutPasteKey", MigrateCutPasteKey(value)).Ok()) return false;
  }
  return Writer(file, kSectionVersion).Int("No", kSettingsFormat).Ok();
}

LoadedSettings LoadSettings(ProfileFile& file) {
  LoadedSettings loaded;
  loaded.written = MigrateSettings(file);
  AppSettings& s = loaded.settings;
  SettingsReader r(file);
  const Bytes setup = kSectionSetup;

  s.no = r.Int(kSectionVersion, "No", 0);

  int count = FileKindCount(r.Int(setup, "ExtRendoCnt", 0));
  s.fileKinds.assign(1, CommonFileKind());
  ReadKindKeys(r, setup, s.Common());
  for (int n = 1; n <= count; ++n) {
    Bytes section = Numbered(kExtRendoPrefix, n);
    FileKind kind;
    kind.extName = r.String(section, "ExtName", "");
    kind.ext = r.String(section, "Ext", "");
    ReadKindKeys(r, section, kind);
    s.fileKinds.push_back(std::move(kind));
  }
  s.currentFileKind = 0;

  s.programs.clear();
  for (int i = 0; i < kMaxPrograms; ++i) {
    Bytes program = r.String(setup, Numbered("ExecProgram", i), "");
    if (program.empty()) continue;
    s.programs.push_back({r.String(setup, Numbered("ExecCaption", i), ""), std::move(program),
                          r.String(setup, Numbered("ExecParam", i), "")});
  }

  s.lineEnd = LineEndForCrlf(r.Int(setup, "CRLF", 2));
  s.makeNew = r.Bool(setup, "MakeNew", false);
  // Hand-edited values are kept to what the settings dialog offers: a timer
  // of 0 ms would flood the tool with ticks, a negative smoothness would
  // never end the animation.
  s.timer = std::clamp(r.Int(setup, "Timer", 100), 10, 3000);
  s.timerEZ = std::clamp(r.Int(setup, "TimerEZ", 2000), 0, 10000);
  s.resize = std::clamp(r.Int(setup, "Resize", 5), 0, 20);
  // The history length indexes "OpenFile0..19"; a damaged value must not make
  // the tool write thousands of keys at close.
  s.openFiles = std::clamp(r.Int(setup, "OpenFiles", 10), 0, kMaxOpenFiles);
  s.modeDelivery[kSimpleMode] =
      SanitizeDelivery({r.Int(setup, "PasteKindEZ", 1), r.Int(setup, "PasteIntervalEZ", 0),
                        r.Int(setup, "CutPasteKeyEZ", kDefaultCutPasteKey)});
  // Linked mode uses the common entry until SelectFileKind chooses a kind, so
  // its key codes are valid from the start.
  const FileKind& common = s.Common();
  s.modeDelivery[kLinkedMode] = {common.pasteKind, common.pasteInterval, common.cutPasteKey};
  s.bufSize1 = r.Int(setup, "BufSize1", 1024);
  s.bufSize2 = r.Int(setup, "BufSize2", 1024);
  // A height of 0 or less would make the start-up strip look like a
  // pending write, and the data file would never load.
  s.minHeight = std::clamp(r.Int(setup, "MinHeight", 38), 38, 1200);
  s.maxHeight = std::clamp(r.Int(setup, "MaxHeight", 480), s.minHeight, 1200);
  s.changeMode = r.Int(setup, "ChangeMode", 1);
  s.closeMode = r.Int(setup, "CloseMode", 1);
  s.fileFilter = r.String(setup, "FileFilter", kDefaultFileFilter);
  s.fileFilterC = r.String(setup, "FileFilterC", kDefaultFileFilterC);
  s.openFilter = BuildOpenFilter(s.fileFilter, s.fileFilterC);
  s.hotKeyR = r.Bool(setup, "HotKeyR", false);
  s.hotKeyR1 = r.Int(setup, "HotKeyR1", 1);
  s.hotKeyR2 = r.Letter(setup, "HotKeyR2", 'Q');
  s.hotKeyA = r.Bool(setup, "HotKeyA", false);
  s.hotKeyA1 = r.Int(setup, "HotKeyA1", 1);
  s.hotKeyA2 = r.Letter(setup, "HotKeyA2", 'A');

  const Bytes quiltor = kSectionQuiltor;
  QuiltorSection& q = s.quiltor;
  q.top = r.Int(quiltor, "Top", 0);
  q.left = r.Int(quiltor, "Left", 0);
  q.height = r.Int(quiltor, "Height", 282);
  q.mode = r.Bool(quiltor, "Mode", false);
  q.toolBar = r.Bool(quiltor, "ToolBar", true);
  q.stayOnTop = r.Bool(quiltor, "StayOnTop", false);
  q.hideIcon = r.Bool(quiltor, "HideIcon", false);
  q.autoSmall = r.Bool(quiltor, "AutoSmall", false);
  q.openFile.clear();
  for (int i = 0; i < s.openFiles; ++i) q.openFile.push_back(r.String(quiltor, Numbered("OpenFile", i), ""));
  q.quiltorData = r.String(quiltor, "QuiltorData", "");
  q.quiltorDataHistory.clear();
  for (int j = 0; j < kDataHistorySlots; ++j) {
    q.quiltorDataHistory.push_back(r.String(quiltor, Numbered("QuiltorData", j), ""));
  }
  // A page index, 0..99: start-up adds it to a hundred times the shrunk
  // height, and a value outside took the sum to 0 (no start-up) or past INT_MAX.
  q.activePage = std::clamp(r.Int(quiltor, "ActivePage", 10), 0, 99);
  return loaded;
}

int SelectFileKind(AppSettings& settings, const Bytes& currentFile) {
  if (settings.fileKinds.empty()) settings.fileKinds.push_back(CommonFileKind());
  Bytes ext = FileExtension(currentFile);
  int chosen = 0;
  for (int i = static_cast<int>(settings.fileKinds.size()) - 1; i >= 1; --i) {
    if (SameExtension(ext, settings.fileKinds[i].ext)) {
      chosen = i;
      break;
    }
  }
  settings.currentFileKind = chosen;
  const FileKind& kind = settings.fileKinds[chosen];
  settings.modeDelivery[kLinkedMode] =
      SanitizeDelivery({kind.pasteKind, kind.pasteInterval, kind.cutPasteKey});
  // A ProgramNo that names no program falls back to the associated program.
  if (kind.programNo >= 1 && kind.programNo <= static_cast<int>(settings.programs.size())) {
    return kind.programNo + 1;
  }
  return 0;
}

Bytes BuildOpenFilter(const Bytes& fileFilter, const Bytes& fileFilterC) {
  Bytes filter;
  std::string_view rest = fileFilter;
  for (char flag : fileFilterC) {
    if (rest.empty()) break;  // characters past the last entry add nothing
    std::size_t end = FindEntryEnd(rest);
    // A last entry without its closing "||" still counts.
    std::string_view entry = end == std::string_view::npos ? rest : rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    if (flag == '1' && !entry.empty()) {
      filter += '|';
      filter += entry;
    }
  }
  if (!filter.empty()) filter.erase(0, 1);
  return filter;
}

std::vector<Bytes> FileFilterEntries(const Bytes& fileFilter) {
  std::vector<Bytes> entries;
  std::string_view rest = fileFilter;
  while (!rest.empty()) {
    std::size_t end = FindEntryEnd(rest);
    entries.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
  }
  return entries;
}

// ---- Writing -----------------------------------------------------------------

bool SaveWindowState(ProfileFile& file, const WindowState& state) {
  Writer w(file, kSectionQuiltor);
  w.Int("Top", state.top).Int("Left", state.left).Int("Height", state.height);
  w.Int("ActivePage", state.activePage);
  w.Bool("ToolBar", state.toolBar)
      .Bool("AutoSmall", state.autoSmall)
      .Bool("StayOnTop", state.stayOnTop)
      .Bool("HideIcon", state.hideIcon);
  int slots = std::clamp(state.openFileSlots, 0, kMaxOpenFiles);
  for (int i = 0; i < slots; ++i) {
    w.String(Numbered("OpenFile", i), i < static_cast<int>(state.openFiles.size()) ? state.openFiles[i] : "");
  }
  w.String("QuiltorData", state.quiltorData);
  for (int j = 0; j < kDataHistorySlots; ++j) {
    w.String(Numbered("QuiltorData", j), j < static_cast<int>(state.dataFiles.size()) ? state.dataFiles[j] : "");
  }
  return w.Ok();
}

bool WriteMode(ProfileFile& file, bool linked) {
  return Writer(file, kSectionQuiltor).Bool("Mode", linked).Ok();
}

bool WriteCurrentDataFile(ProfileFile& file, const Bytes& dataFile) {
  return Writer(file, kSectionQuiltor).String("QuiltorData", dataFile).Ok();
}

bool DropOpenFileKeys(ProfileFile& file, int openFiles) {
  Writer w(file, kSectionQuiltor);
  for (int k = std::max(openFiles, 0); k < kMaxOpenFiles; ++k) w.Delete(Numbered("OpenFile", k));
  return w.Ok();
}

bool WriteTimerAndSizeKeys(ProfileFile& file, const AppSettings& s) {
  return Writer(file, kSectionSetup)
      .Int("Timer", s.timer)
      .Int("TimerEZ", s.timerEZ)
      .Int("MinHeight", s.minHeight)
      .Int("MaxHeight", s.maxHeight)
      .Int("Resize", s.resize)
      .Int("OpenFiles", s.openFiles)
      .Bool("MakeNew", s.makeNew)
      .Ok();
}

bool WriteFilterKeys(ProfileFile& file, const AppSettings& s) {
  return Writer(file, kSectionSetup)
      .Int("ChangeMode", s.changeMode)
      .Int("CloseMode", s.closeMode)
      .String("FileFilter", s.fileFilter)
      .String("FileFilterC", s.fileFilterC)
      .Ok();
}

bool WriteLineEndAndHotKeys(ProfileFile& file, const AppSettings& s) {
  return Writer(file, kSectionSetup)
      .Int("CRLF", CrlfSetting(s.lineEnd))
      .Int("BufSize1", s.bufSize1)
      .Int("BufSize2", s.bufSize2)
      .Bool("HotKeyR", s.hotKeyR)
      .Int("HotKeyR1", s.hotKeyR1)
      .String("HotKeyR2", Bytes(1, s.hotKeyR2))
      .Bool("HotKeyA", s.hotKeyA)
      .Int("HotKeyA1", s.hotKeyA1)
      .String("HotKeyA2", Bytes(1, s.hotKeyA2))
      .Ok();
}

bool WriteSimpleModeDelivery(ProfileFile& file, const AppSettings& s) {
  const DeliverySettings& simple = s.modeDelivery[kSimpleMode];
  return Writer(file, kSectionSetup)
      .Int("PasteKindEZ", simple.pasteKind)
      .Int("PasteIntervalEZ", simple.pasteInterval)
      .Int("CutPasteKeyEZ", simple.cutPasteKey)
      .Ok();
}

bool WriteFileKinds(ProfileFile& file, const FileKinds& kinds, int oldCount) {
  for (int n = 1; n <= oldCount; ++n) {
    if (!file.DeleteSection(Numbered(kExtRendoPrefix, n))) return false;
  }
  int count = kinds.empty() ? 0 : static_cast<int>(kinds.size()) - 1;
  Writer setup(file, kSectionSetup);
  setup.Int("ExtRendoCnt", count);
  if (!kinds.empty()) WriteKindKeys(setup, kinds.front());
  if (!setup.Ok()) return false;
  for (int n = 1; n <= count; ++n) {
    Writer w(file, Numbered(kExtRendoPrefix, n));
    w.String("ExtName", kinds[n].extName).String("Ext", kinds[n].ext);
    WriteKindKeys(w, kinds[n]);
    if (!w.Ok()) return false;
  }
  return true;
}

bool WritePrograms(ProfileFile& file, const ProgramList& programs) {
  Writer w(file, kSectionSetup);
  // Only positions 0..19 are read back.
  int count = std::min(static_cast<int>(programs.size()), kMaxPrograms);
  for (int i = 0; i < count; ++i) {
    w.String(Numbered("ExecCaption", i), programs[i].caption)
        .String(Numbered("ExecProgram", i), programs[i].program)
        .String(Numbered("ExecParam", i), programs[i].param);
  }
  for (int k = count; k < kMaxPrograms; ++k) {
    w.Delete(Numbered("ExecProgram", k)).Delete(Numbered("ExecCaption", k)).Delete(Numbered("ExecParam", k));
  }
  return w.Ok();
}

int CrlfSetting(const Bytes& lineEnd) {
  if (lineEnd == "\r") return 0;
  if (lineEnd == "\n") return 1;
  return 2;
}

Bytes LineEndForCrlf(std::int32_t crlf) {
  if (crlf == 0) return "\r";
  if (crlf == 1) return "\n";
  return "\r\n";
}

}  // namespace quiltor
