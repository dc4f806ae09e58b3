#include "settings/settings.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "settings/profile.h"
#include "settings/settings_keys.h"
#include "text/cp932.h"

namespace quiltor {

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
  KeyLookup Lookup() {
    return [this](const Bytes& section, const Bytes& key, const Bytes& fallback) { return String(section, key, fallback); };
  }

 private:
  ProfileFile& file_;
  std::optional<IniDocument> document_;
};

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
  const KeyLookup lookup = r.Lookup();
  const Bytes setup = kSectionSetup;
  ReadSettingsKeys(lookup, s);

  int count = FileKindCount(r.Int(setup, "ExtRendoCnt", 0));
  s.fileKinds.assign(1, CommonFileKind());
  ReadKindKeys(lookup, setup, false, s.Common());
  for (int n = 1; n <= count; ++n) {
    FileKind kind;
    ReadKindKeys(lookup, Numbered(kExtRendoPrefix, n), true, kind);
    s.fileKinds.push_back(std::move(kind));
  }
  s.currentFileKind = 0;
  // Linked mode uses the common entry until SelectFileKind chooses a kind, so
  // its key codes are valid from the start.
  const FileKind& common = s.Common();
  s.modeDelivery[kLinkedMode] = {common.pasteKind, common.pasteInterval, common.cutPasteKey};

  s.programs.clear();
  for (int i = 0; i < kMaxPrograms; ++i) {
    Bytes program = r.String(setup, Numbered("ExecProgram", i), "");
    if (program.empty()) continue;
    s.programs.push_back({r.String(setup, Numbered("ExecCaption", i), ""), std::move(program),
                          r.String(setup, Numbered("ExecParam", i), "")});
  }
  s.openFilter = BuildOpenFilter(s.fileFilter, s.fileFilterC);

  const Bytes quiltor = kSectionQuiltor;
  QuiltorSection& q = s.quiltor;
  ReadWindowKeys(lookup, q);
  q.openFile.clear();
  for (int i = 0; i < s.openFiles; ++i) q.openFile.push_back(r.String(quiltor, Numbered("OpenFile", i), ""));
  q.quiltorDataHistory.clear();
  for (int j = 0; j < kDataHistorySlots; ++j) {
    q.quiltorDataHistory.push_back(r.String(quiltor, Numbered("QuiltorData", j), ""));
  }
  return loaded;
}

DefaultProgram DefaultProgramOf(int programNo, std::size_t programCount) {
  if (programNo < 1 || static_cast<std::size_t>(programNo) > programCount) return DefaultProgram::Associated();
  return DefaultProgram::Listed(static_cast<std::size_t>(programNo - 1));
}

DefaultProgram SelectFileKind(AppSettings& settings, const Bytes& currentFile) {
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
  return DefaultProgramOf(kind.programNo, settings.programs.size());
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
  QuiltorSection window;
  window.top = state.top;
  window.left = state.left;
  window.height = state.height;
  window.activePage = state.activePage;
  window.toolBar = state.toolBar;
  window.autoSmall = state.autoSmall;
  window.stayOnTop = state.stayOnTop;
  window.hideIcon = state.hideIcon;
  window.quiltorData = state.quiltorData;
  if (!WriteKeyGroup(file, window, KeyGroup::kWindow)) return false;
  Writer w(file, kSectionQuiltor);
  int slots = std::clamp(state.openFileSlots, 0, kMaxOpenFiles);
  for (int i = 0; i < slots; ++i) {
    w.String(Numbered("OpenFile", i), i < static_cast<int>(state.openFiles.size()) ? state.openFiles[i] : "");
  }
  if (!w.Ok() || !WriteKeyGroup(file, window, KeyGroup::kCurrentDataFile)) return false;
  for (int j = 0; j < kDataHistorySlots; ++j) {
    w.String(Numbered("QuiltorData", j), j < static_cast<int>(state.dataFiles.size()) ? state.dataFiles[j] : "");
  }
  return w.Ok();
}

bool WriteMode(ProfileFile& file, bool linked) {
  QuiltorSection window;
  window.mode = linked;
  return WriteKeyGroup(file, window, KeyGroup::kMode);
}

bool WriteCurrentDataFile(ProfileFile& file, const Bytes& dataFile) {
  QuiltorSection window;
  window.quiltorData = dataFile;
  return WriteKeyGroup(file, window, KeyGroup::kCurrentDataFile);
}

bool WriteLibraryRefused(ProfileFile& file, const Bytes& stamp) {
  QuiltorSection window;
  window.libraryRefused = stamp;
  return WriteKeyGroup(file, window, KeyGroup::kLibraryRefused);
}

bool DropOpenFileKeys(ProfileFile& file, int openFiles) {
  Writer w(file, kSectionQuiltor);
  for (int k = std::max(openFiles, 0); k < kMaxOpenFiles; ++k) w.Delete(Numbered("OpenFile", k));
  return w.Ok();
}

bool WriteTimerAndSizeKeys(ProfileFile& file, const AppSettings& s) {
  return WriteKeyGroup(file, s, KeyGroup::kTimerAndSize);
}

bool WriteFilterKeys(ProfileFile& file, const AppSettings& s) { return WriteKeyGroup(file, s, KeyGroup::kFilters); }

bool WriteLineEndAndHotKeys(ProfileFile& file, const AppSettings& s) {
  return WriteKeyGroup(file, s, KeyGroup::kLineEndAndHotKeys);
}

bool WriteSimpleModeDelivery(ProfileFile& file, const AppSettings& s) {
  return WriteKeyGroup(file, s, KeyGroup::kSimpleDelivery);
}

bool WriteFileKinds(ProfileFile& file, const FileKinds& kinds, int oldCount) {
  for (int n = 1; n <= oldCount; ++n) {
    if (!file.DeleteSection(Numbered(kExtRendoPrefix, n))) return false;
  }
  int count = kinds.empty() ? 0 : static_cast<int>(kinds.size()) - 1;
  if (!Writer(file, kSectionSetup).Int("ExtRendoCnt", count).Ok()) return false;
  if (!kinds.empty() && !WriteKindKeys(file, kSectionSetup, false, kinds.front())) return false;
  for (int n = 1; n <= count; ++n) {
    if (!WriteKindKeys(file, Numbered(kExtRendoPrefix, n), true, kinds[n])) return false;
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
