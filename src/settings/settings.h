#pragma once
// The settings store: the in-memory record of "Quiltor.ini", how it is read
// (with the migration of old files), the choice of the file kind for the
// current file, the open-dialog filter, and every write the tool makes to it.
// All texts are CP932 bytes.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "platform/types.h"
#include "settings/key_codes.h"
#include "text/texts.h"

namespace quiltor {

// Current format number of the settings file ("No" in "Version").
inline constexpr std::int32_t kSettingsFormat = 170;
// Positions of the program list ("ExecProgram0".."ExecProgram19").
inline constexpr int kMaxPrograms = 20;
// Positions of the data-file history ("QuiltorData0".."QuiltorData19").
inline constexpr int kDataHistorySlots = 20;
// Positions of the file history the file can hold ("OpenFile0".."OpenFile19").
inline constexpr int kMaxOpenFiles = 20;
// "ExtRendoCnt" is taken as at most this, so a damaged count cannot make the
// tool build (and the migration write) millions of kinds.
inline constexpr int kMaxFileKinds = 999;

// Section and key names.
inline constexpr char kSectionVersion[] = "Version";
inline constexpr char kSectionSetup[] = "Setup";
inline constexpr char kSectionQuiltor[] = "Quiltor";
inline constexpr char kExtRendoPrefix[] = "ExtRendo";
inline constexpr char kDefaultFileFilterC[] = "11111111";

// One file kind. Entry 0 of FileKinds is the common entry (values from
// "Setup"); entries 1..N come from the sections "ExtRendo1".."ExtRendoN".
struct FileKind {
  Bytes extName;      // name the settings dialog shows
  Bytes ext;          // extension without the dot, compared without regard to case
  Bytes editerPath;   // the editor's executable
  Bytes editerParam;  // parameters for starting it ("%f" = the file)
  Bytes className1;   // window class of the editor's top window
  Bytes className2;   // window class of its edit window; empty = the top window itself
  std::int32_t pasteKind = 0;      // 0 = window messages, 1 = cut and paste keys
  std::int32_t pasteInterval = 0;  // milliseconds between the steps of a delivery
  std::int32_t cutPasteKey = kDefaultCutPasteKey;
  std::int32_t programNo = 0;  // 0 = associated program, k = k-th program of the list
  friend bool operator==(const FileKind&, const FileKind&) = default;
};
using FileKinds = std::vector<FileKind>;
// Entry 0 of FileKinds: named "共通", no extension, defaults elsewhere.
inline FileKind CommonFileKind() {
  FileKind kind;
  kind.extName = texts::kCommonKindName;
  return kind;
}

// Delivery settings of one mode.
struct DeliverySettings {
  std::int32_t pasteKind = 0;
  std::int32_t pasteInterval = 0;
  std::int32_t cutPasteKey = kDefaultCutPasteKey;
  friend bool operator==(const DeliverySettings&, const DeliverySettings&) = default;
};
// Index 0 = simple mode ("PasteKindEZ", "PasteIntervalEZ", "CutPasteKeyEZ"),
// index 1 = linked mode (the current file kind's values, set by SelectFileKind).
using ModeDelivery = std::array<DeliverySettings, 2>;
inline constexpr int kSimpleMode = 0;
inline constexpr int kLinkedMode = 1;

// One entry of the program list for running files.
struct ProgramEntry {
  Bytes caption;  // "ExecCaption"; empty = the program path is shown
  Bytes program;  // "ExecProgram"
  Bytes param;    // "ExecParam"; "%f" stands for the file
  friend bool operator==(const ProgramEntry&, const ProgramEntry&) = default;
};
using ProgramList = std::vector<ProgramEntry>;

// The keys of section "Quiltor" as read at start; the main window applies them.
struct QuiltorSection {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t height = 282;
  bool mode = false;  // false = simple mode, true = linked mode
  bool toolBar = true;
  bool stayOnTop = false;
  bool hideIcon = false;
  bool autoSmall = false;
  // "OpenFile0".."OpenFile<M-1>" (M = openFiles), empty texts included.
  std::vector<Bytes> openFile;
  Bytes quiltorData;  // the current data file, relative to the executable's folder
  // "QuiltorData0".."QuiltorData19", empty texts included.
  std::vector<Bytes> quiltorDataHistory;
  std::int32_t activePage = 10;
  // The write time (decimal) of the program folder's Quiltor.dll whose copy
  // into the system folder Windows refused; that library is not offered again.
  Bytes libraryRefused;
};

struct AppSettings {
  std::int32_t no = 0;  // "No" of "Version" as read (after the migration)

  // "Setup".
  FileKinds fileKinds{CommonFileKind()};  // never empty: entry 0 is the common entry
  int currentFileKind = 0;                         // index into fileKinds
  // Simple mode writes by keys unless the file says otherwise.
  ModeDelivery modeDelivery{DeliverySettings{1, 0, kDefaultCutPasteKey}, DeliverySettings{}};
  ProgramList programs;     // the non-empty positions of "ExecProgram0..19", in order
  Bytes lineEnd = "\r\n";   // from "CRLF": 0 = "\r", 1 = "\n", else "\r\n"
  bool makeNew = false;
  // A write of a before and an after text into an empty selection leaves
  // the caret between them (false: after both). A file without the key
  // counts as true.
  bool caretInside = true;
  std::int32_t timer = 100;
  std::int32_t timerEZ = 2000;
  std::int32_t resize = 5;
  std::int32_t openFiles = 10;  // length of the file history, taken into 0..20
  std::int32_t bufSize1 = 1024;
  std::int32_t bufSize2 = 1024;
  std::int32_t minHeight = 38;  // ShrinkHeight
  std::int32_t maxHeight = 480;
  std::int32_t changeMode = 1;
  std::int32_t closeMode = 1;
  Bytes fileFilter = texts::kDefaultFileFilter;
  Bytes fileFilterC = kDefaultFileFilterC;
  Bytes openFilter;  // BuildOpenFilter(fileFilter, fileFilterC), set by LoadSettings
  bool hotKeyR = false;
  std::int32_t hotKeyR1 = 1;
  char hotKeyR2 = 'Q';
  bool hotKeyA = false;
  std::int32_t hotKeyA1 = 1;
  char hotKeyA2 = 'A';

  QuiltorSection quiltor;

  const FileKind& Common() const { return fileKinds.front(); }
  FileKind& Common() { return fileKinds.front(); }
  int ExtRendoCnt() const { return static_cast<int>(fileKinds.size()) - 1; }
  const FileKind& CurrentKind() const { return fileKinds.at(currentFileKind); }
};

// A whole entry of ModeDelivery with its key codes made valid (SanitizeCutPasteKey).
DeliverySettings SanitizeDelivery(DeliverySettings delivery);

// The conversion of a six-digit cut/paste code of files older than format 170.
std::int64_t MigrateCutPasteKey(std::int64_t oldValue);

// ---- Reading ---------------------------------------------------------------
struct LoadedSettings {
  AppSettings settings;
  // False when the migration could not be written to the file (which keeps
  // its old bytes); the caller reports it naming the file's Path().
  bool written = true;
};
// Runs the migration of files older than format 170 (and writes "No" = 170),
// then reads every key. Missing file, section or key, or a value that does not
// parse: the default. Cut/paste key codes that are not valid are replaced by
// kDefaultCutPasteKey; linked-mode delivery starts as a copy of the common entry.
LoadedSettings LoadSettings(ProfileFile& file);
// The migration alone; true when nothing had to be written or every write
// succeeded (it stops at the first failure).
bool MigrateSettings(ProfileFile& file);

// The program the run button starts the current file with: the one Windows
// associates with the file, or one of the listed programs.
struct DefaultProgram {
  enum class Kind { kAssociated, kListed };
  Kind kind = Kind::kAssociated;
  std::size_t listed = 0;  // kListed: the index into AppSettings::programs

  static DefaultProgram Associated() { return {}; }
  static DefaultProgram Listed(std::size_t index) { return {Kind::kListed, index}; }
  friend bool operator==(const DefaultProgram&, const DefaultProgram&) = default;
};
// A kind's stored ProgramNo (0 = associated, k = the k-th listed program) as
// a choice; a number that names no program of the list is the associated one.
DefaultProgram DefaultProgramOf(int programNo, std::size_t programCount);

// Chooses the file kind for the current file (CP932 path): the highest
// numbered kind whose Ext equals the file's extension without regard to ASCII
// case, else the common entry; sets currentFileKind and ModeDelivery[1].
// Returns the kind's default program.
DefaultProgram SelectFileKind(AppSettings& settings, const Bytes& currentFile);

// The open-file dialog filter "name|pattern|name|pattern..." of the entries of
// `fileFilter` whose character in `fileFilterC` is "1".
Bytes BuildOpenFilter(const Bytes& fileFilter, const Bytes& fileFilterC);
// The entries "name|pattern" of `fileFilter`, in order; a last entry without
// its closing "||" still counts.
std::vector<Bytes> FileFilterEntries(const Bytes& fileFilter);

// ---- Writing ---------------------------------------------------------------
// Every writer stops at the first write that fails and returns false; the
// caller raises the error naming file.Path(). What is on disk stays whole.

struct WindowState {
  std::int32_t top = 0;
  std::int32_t left = 0;
  std::int32_t height = 282;
  std::int32_t activePage = 0;  // 0 when there are no pages
  bool toolBar = true;
  bool autoSmall = false;
  bool stayOnTop = false;
  bool hideIcon = false;
  std::vector<Bytes> openFiles;  // file history, most recent first
  int openFileSlots = 10;        // M = OpenFiles: "OpenFile0".."OpenFile<M-1>" are written
  Bytes quiltorData;             // current data file
  std::vector<Bytes> dataFiles;  // data-file history, most recent first
};
// At close, all in "Quiltor": Top, Left, Height, ActivePage, ToolBar,
// AutoSmall, StayOnTop, HideIcon, OpenFile0..M-1, QuiltorData, QuiltorData0..19.
bool SaveWindowState(ProfileFile& file, const WindowState& state);

// "Mode" in "Quiltor" at each mode switch.
bool WriteMode(ProfileFile& file, bool linked);
// "QuiltorData" in "Quiltor" at start.
bool WriteCurrentDataFile(ProfileFile& file, const Bytes& dataFile);
// "LibraryRefused" in "Quiltor" when the system folder refused the library.
bool WriteLibraryRefused(ProfileFile& file, const Bytes& stamp);
// Deletes "OpenFile<k>" for k = openFiles..19 after the history was shortened.
bool DropOpenFileKeys(ProfileFile& file, int openFiles);

// The settings dialog's writes, one function per group, in the dialog's order.
// Timer, TimerEZ, MinHeight, MaxHeight, Resize, OpenFiles, MakeNew, CaretInside.
bool WriteTimerAndSizeKeys(ProfileFile& file, const AppSettings& settings);
// ChangeMode, CloseMode, FileFilter, FileFilterC.
bool WriteFilterKeys(ProfileFile& file, const AppSettings& settings);
// CRLF, BufSize1, BufSize2, HotKeyR, HotKeyR1, HotKeyR2, HotKeyA, HotKeyA1, HotKeyA2.
bool WriteLineEndAndHotKeys(ProfileFile& file, const AppSettings& settings);
// PasteKindEZ, PasteIntervalEZ, CutPasteKeyEZ from ModeDelivery[0].
bool WriteSimpleModeDelivery(ProfileFile& file, const AppSettings& settings);
// Erases "ExtRendo1".."ExtRendo<oldCount>", writes ExtRendoCnt, the common
// entry into "Setup" and each kind into its section.
bool WriteFileKinds(ProfileFile& file, const FileKinds& kinds, int oldCount);
// ExecCaption/ExecProgram/ExecParam for positions 0..n-1, then removes those
// keys for positions n..19.
bool WritePrograms(ProfileFile& file, const ProgramList& programs);
// "CRLF" value for a line end: 0 "\r", 1 "\n", 2 otherwise.
int CrlfSetting(const Bytes& lineEnd);
Bytes LineEndForCrlf(std::int32_t crlf);

}  // namespace quiltor
