#include "settings/setup_confirm.h"

#include "settings/profile_bytes.h"
#include "text/cp932.h"

namespace quiltor {

SetupConfirmation ConfirmSetup(const AppSettings& current, const SetupCopy& edited,
                               const MainWindowFacts& facts, const Bytes& currentFile,
                               const Bytes& fileBytes) {
  SetupConfirmation result;
  AppSettings& s = result.settings;
  s = current;
  ProfileBytes file(kSettingsFileName, fileBytes);
  bool ok = true;

  s.timer = edited.timer;
  s.timerEZ = edited.timerEZ;
  s.resize = edited.resize;
  s.openFiles = edited.openFiles;
  s.makeNew = edited.makeNew;
  s.caretInside = edited.caretInside;
  s.minHeight = edited.minHeight;
  s.maxHeight = edited.maxHeight;
  ok = ok && WriteTimerAndSizeKeys(file, s);

  s.changeMode = edited.changeMode;
  s.closeMode = edited.closeMode;
  s.fileFilter = edited.filters.FileFilter();
  s.fileFilterC = edited.filters.FileFilterC();
  s.openFilter = BuildOpenFilter(s.fileFilter, s.fileFilterC);
  ok = ok && WriteFilterKeys(file, s);

  s.lineEnd = LineEndForCrlf(edited.crlf);
  s.hotKeyR = edited.hotKeyR.on;
  s.hotKeyR1 = edited.hotKeyR.modifiers;
  s.hotKeyR2 = edited.hotKeyR.Letter();
  s.hotKeyA = edited.hotKeyA.on;
  s.hotKeyA1 = edited.hotKeyA.modifiers;
  s.hotKeyA2 = edited.hotKeyA.Letter();
  s.bufSize1 = edited.bufSize1;
  s.bufSize2 = edited.bufSize2;
  ok = ok && WriteLineEndAndHotKeys(file, s);

  s.modeDelivery[kSimpleMode] = {edited.pasteKindEZ, edited.intervalEZ, ComposeKeys(edited.cutPasteEZ.keys)};
  ok = ok && WriteSimpleModeDelivery(file, s);

  // The values still in the 連動モード controls belong to the shown kind.
  KindList kinds = edited.kinds;
  kinds.Commit(edited.linked);
  s.fileKinds = kinds.Kinds();
  ok = ok && WriteFileKinds(file, s.fileKinds, current.ExtRendoCnt());

  s.programs = edited.programs.Programs();
  ok = ok && WritePrograms(file, s.programs);
  // The history is trimmed to the new length right after the dialog; its
  // surplus keys go in this same write.
  ok = ok && DropOpenFileKeys(file, s.openFiles);

  SetupReapply& r = result.reapply;
  r.defaultProgram = SelectFileKind(s, currentFile);
  r.lineEnd = s.lineEnd;
  r.hotKeysChanged = s.hotKeyR != current.hotKeyR || s.hotKeyR1 != current.hotKeyR1 ||
                     s.hotKeyR2 != current.hotKeyR2 || s.hotKeyA != current.hotKeyA ||
                     s.hotKeyA1 != current.hotKeyA1 || s.hotKeyA2 != current.hotKeyA2;
  const BufferSizes sizes{static_cast<std::uint32_t>(edited.bufSize1), static_cast<std::uint32_t>(edited.bufSize2)};
  if (sizes != BufferSizes{facts.bufSize1, facts.bufSize2}) r.newBufferSizes = sizes;
  r.shrinkHeight = edited.minHeight;
  r.maxHeight = edited.maxHeight;
  r.openFiles = edited.openFiles;
  r.libraryWanted = edited.library;

  result.fileComplete = ok;
  result.fileBytes = ok ? file.Contents() : fileBytes;
  return result;
}

namespace {
Bytes InstalledLibrary(const Bytes& systemFolder) { return JoinPath(systemFolder, kCompanionLibraryName); }
}  // namespace

bool CompanionLibraryInstalled(FileSystem& files) {
  const Bytes systemFolder = files.SystemFolder();
  return !systemFolder.empty() && files.Exists(InstalledLibrary(systemFolder));
}

bool ApplyCompanionLibrary(FileSystem& files, bool wanted, const Bytes& exeFolder) {
  const Bytes systemFolder = files.SystemFolder();
  if (systemFolder.empty()) return !wanted;
  const Bytes installed = InstalledLibrary(systemFolder);
  const bool present = files.Exists(installed);
  if (wanted && !present) return files.Copy(JoinPath(exeFolder, kCompanionLibraryName), installed);
  if (!wanted && present) return files.Remove(installed);
  return true;
}

SetupCommit CommitSetup(FileSystem& files, const ToolFolders& folders, const AppSettings& current,
                        const SetupCopy& edited, const MainWindowFacts& facts, const Bytes& currentFile) {
  SetupCommit commit;
  const Bytes path = JoinPath(folders.settings, kSettingsFileName);
  std::optional<Bytes> before = files.ReadAll(path);
  // A file that exists but cannot be read is never overwritten.
  const bool readable = before.has_value() || !files.Exists(path);
  commit.confirmation = ConfirmSetup(current, edited, facts, currentFile, before.value_or(Bytes()));
  const SetupConfirmation& c = commit.confirmation;
  if (readable && c.fileComplete) {
    commit.written = before && *before == c.fileBytes ? true : files.ReplaceAll(path, c.fileBytes);
  }
  if (!ApplyCompanionLibrary(files, c.reapply.libraryWanted, folders.program)) {
    commit.libraryRefused = InstalledLibrary(files.SystemFolder());
  }
  return commit;
}

}  // namespace quiltor
