#pragma once
// The private copy the settings dialog edits: every control value of its six
// tabs, filled from AppSettings and the main window's facts, with the rules
// that tie the controls together. The dialog only moves values between its
// controls and this copy; SetupCopy knows no window.
#include <array>
#include <cstdint>
#include <optional>

#include "platform/types.h"
#include "settings/settings.h"
#include "settings/setup_lists.h"

namespace quiltor {

// What the settings dialog shows of the main window besides AppSettings.
struct MainWindowFacts {
  int shrinkHeight = 38;
  int maxHeight = 480;  // the window's height limit without the tool bar's 30 pixels
  bool toolBarVisible = true;
  std::uint32_t bufSize1 = 1024;  // as recorded in the exchange block
  std::uint32_t bufSize2 = 1024;
  bool libraryInSystem = false;   // "Quiltor.dll" lies in the system folder now
};

// ---- Keys ------------------------------------------------------------------

// One key group: three modifier ticks and a key of the 50-item key list.
struct KeyChoice {
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  int key = 0;  // key number 0..49
  friend bool operator==(const KeyChoice&, const KeyChoice&) = default;
};
struct KeyGroups {
  KeyChoice copy;
  KeyChoice cut;
  KeyChoice paste;
  friend bool operator==(const KeyGroups&, const KeyGroups&) = default;
};
int KeyCodeOf(const KeyChoice& choice);
KeyChoice KeyChoiceOf(int keyCode);
// The packed value of the nine ticks and three keys.
std::int32_t ComposeKeys(const KeyGroups& groups);
// A packed value spread over the controls; codes that name no key show as
// no modifier and "A".
KeyGroups DecodeKeys(std::int32_t packed);

// The radio buttons 標準１, 標準２, 直接指定 of a cut & paste group.
enum CutPasteButton { kStandard1 = 0, kStandard2 = 1, kDirectKeys = 2 };

// A cut & paste group: the radio buttons and the key controls they drive.
struct CutPasteGroup {
  int button = kStandard1;
  KeyGroups keys = DecodeKeys(kDefaultCutPasteKey);

  // 標準１ / 標準２ fill the key controls with their set; 直接指定 keeps them.
  void Choose(int radio);
  // The button a stored value selects; 直接指定 decodes it into the controls.
  void Load(std::int32_t packed);
  bool KeysUsable() const { return button == kDirectKeys; }
};

// ---- Number boxes ---------------------------------------------------------

enum class SetupSpin {
  kMinHeight, kMaxHeight, kTimer, kTimerEZ, kResize, kOpenFiles,
  kBufSize1, kBufSize2, kIntervalEZ, kInterval,
};

struct SpinRange {
  int min = 0;
  int max = 0;
  int step = 1;
};

// The buffer size a typed or stepped value snaps to: the next power of two
// from 256 to 32768.
int SnapBufferSize(int value);

// A letter box of a hot key: what the box holds, and the letter in force.
struct HotKeyBox {
  bool on = false;
  int modifiers = 1;  // position in the modifier list + 1 (Alt 1, Ctrl 2, Shift 4)
  Bytes text;         // the editable letter box
  char letter = 'Q';  // the letter the box held when the dialog opened

  // The first character of the box, upper-cased, when it is a letter A..Z.
  // An emptied box or one starting with anything else keeps the previous
  // letter: a lower-case letter or a digit would otherwise name another key
  // (the virtual-key code of "q" is F2).
  char Letter() const;
};

// The enabled state of every control whose state a rule decides.
struct SetupEnables {
  bool editClassName2 = false;
  bool hotKeyRBoxes = false;
  bool hotKeyABoxes = false;
  bool intervalEZ = false;
  bool cutPasteButtonsEZ = false;
  bool keyGroupsEZ = false;
  bool interval = false;            // tab 連動モード
  bool radioGroupCutPaste = false;  // tab 連動モード
  bool programList = true;          // also OK and Cancel: off while a program row is edited
  bool programSet = false;
  bool programCancel = false;
};

class SetupCopy {
 public:
  SetupCopy() = default;
  SetupCopy(const AppSettings& settings, const MainWindowFacts& facts);

  // Tab 動作環境Ⅰ.
  int minHeight = 38;
  int maxHeight = 480;
  int timer = 100;
  int timerEZ = 2000;
  int resize = 5;
  int openFiles = 10;
  bool makeNew = false;
  bool caretInside = true;  // CheckBoxCaretInside
  bool library = false;     // CheckBoxDLL
  // Tab 動作環境Ⅱ.
  int changeMode = 1;
  int closeMode = 1;
  FilterRows filters;
  FilterFields filterFields;  // EditFileFilterName, EditFileFilter
  // Tab 編集環境.
  int crlf = 2;
  int bufSize1 = 1024;
  int bufSize2 = 1024;
  HotKeyBox hotKeyR;
  HotKeyBox hotKeyA;
  // Tab 簡易モード.
  int pasteKindEZ = 1;
  int intervalEZ = 0;
  CutPasteGroup cutPasteEZ;
  // Tab 連動モード.
  KindList kinds;
  LinkedTab linked;
  // Tab プログラム.
  ProgramRows programs;
  ProgramFields programFields;   // EditProgramCaption, EditProgramPath, EditProgramParam
  std::size_t fileKindItem = 0;  // ComboBoxFileKind

  // Number boxes: the range in force (the two height boxes bound each other;
  // a buffer box steps by half its value), the value, a typed value pulled
  // into the range, and a spin click (+1 up, -1 down).
  SpinRange Range(SetupSpin spin) const;
  int Value(SetupSpin spin) const;
  void Type(SetupSpin spin, std::int64_t typed);
  void Spin(SetupSpin spin, int direction);

  SetupEnables Enables() const;

  // ComboBoxExtRendoChange.
  void ShowKind(std::size_t index) { kinds.CommitAndShow(index, linked); }
  // The CutPasteKey stored in the shown kind (what 直接指定 stands for).
  std::int32_t ShownKindKeys() const;
  // テスト１'s detection dialog closed with OK: the shown kind stores the keys
  // composed there, and RadioGroupCutPaste shows which set they are.
  void StoreDetectedKeys(std::int32_t packed);
  // ComboBoxFileKindChange / ComboBoxDefaultProgramChange: the default
  // program of the kind chosen on tab プログラム. nullopt when its ProgramNo
  // names no row (the box then shows nothing).
  std::optional<std::size_t> DefaultProgramItem() const;
  void SetDefaultProgram(std::size_t item);

 private:
  template <typename Self>
  static auto& FieldOf(Self& self, SetupSpin spin);
};

// What the settings dialog hands back to the main window.
struct SetupOutcome {
  bool ok = false;  // closed with OK: `edited` is what OK confirms (ConfirmSetup)
  SetupCopy edited;
  // Where the main window goes now: back where it was, or as far as the user
  // moved the dialog. Set after Cancel too.
  Point mainTopLeft;
};

// ---- Placement ------------------------------------------------------------

struct DialogPlacement {
  int left = 0;
  int top = 0;
  int clampOffset = 0;  // how far the left edge was pulled to stay on the screen
  friend bool operator==(const DialogPlacement&, const DialogPlacement&) = default;
};
// Keeps a dialog of `width` at `left` within the work area of its monitor
// horizontally.
DialogPlacement ClampToScreen(int left, int top, int width, const Rect& workArea);
// The settings dialog opens 100 pixels left of the main window's left edge,
// on the main window's monitor.
DialogPlacement PlaceSetupDialog(Point mainTopLeft, int width, const Rect& workArea);
// Where the main window goes after the settings dialog closed at `dialog`:
// back where it was when the dialog was not moved, else as far as it moved.
Point MainPositionAfterSetup(Point dialog, int clampOffset);
// The detection dialog opens at the settings dialog's edges; the settings
// dialog takes its position, the clamp undone, when it closes.
inline Point PositionAfterDetection(Point dialog, int clampOffset) {
  return {dialog.x + clampOffset, dialog.y};
}
// The file-kind dialog centres itself on the settings dialog.
Point CenterOn(const Rect& owner, int width, int height);

}  // namespace quiltor
