#include "settings/setup_copy.h"

#include <algorithm>

namespace quiltor {
namespace {

constexpr int kHeightMin = 38;
constexpr int kHeightMax = 1200;
constexpr int kBufferMin = 256;
constexpr int kBufferMax = 32768;
constexpr int kModifierItems = 7;

int ModifierBits(const KeyChoice& choice) {
  return (choice.ctrl ? kModCtrl : 0) | (choice.shift ? kModShift : 0) | (choice.alt ? kModAlt : 0);
}

int Clamp(std::int64_t value, int low, int high) {
  return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

}  // namespace

// ---- Keys ----------------------------------------------------------------------

int KeyCodeOf(const KeyChoice& choice) {
  return MakeKeyCode(ModifierBits(choice), std::clamp(choice.key, 0, kKeyNumberCount - 1));
}

KeyChoice KeyChoiceOf(int keyCode) {
  if (!IsValidKeyCode(keyCode)) return {};
  const int modifiers = KeyCodeModifiers(keyCode);
  return {(modifiers & kModCtrl) != 0, (modifiers & kModShift) != 0, (modifiers & kModAlt) != 0,
          KeyCodeNumber(keyCode)};
}

std::int32_t ComposeKeys(const KeyGroups& groups) {
  return EncodeCutPasteKey({KeyCodeOf(groups.copy), KeyCodeOf(groups.cut), KeyCodeOf(groups.paste)});
}

KeyGroups DecodeKeys(std::int32_t packed) {
  const CutPasteCodes codes = DecodeCutPasteKey(packed);
  return {KeyChoiceOf(codes.copy), KeyChoiceOf(codes.cut), KeyChoiceOf(codes.paste)};
}

void CutPasteGroup::Choose(int radio) {
  button = std::clamp(radio, 0, 2);
  if (button == kStandard1) keys = DecodeKeys(kDefaultCutPasteKey);
  if (button == kStandard2) keys = DecodeKeys(kInsertDeleteCutPasteKey);
}

void CutPasteGroup::Load(std::int32_t packed) {
  const int radio = CutPasteChoiceOf(packed);
  if (radio == kDirectKeys) keys = DecodeKeys(packed);
  Choose(radio);
}

// ---- Number boxes --------------------------------------------------------------

int SnapBufferSize(int value) {
  int size = kBufferMin;
  while (size < value && size < kBufferMax) size *= 2;
  return size;
}

char HotKeyBox::Letter() const {
  if (text.empty()) return letter;
  const char first = text.front();
  if (first >= 'A' && first <= 'Z') return first;
  if (first >= 'a' && first <= 'z') return static_cast<char>(first - 'a' + 'A');
  return letter;
}

// ---- SetupCopy -----------------------------------------------------------------

SetupCopy::SetupCopy(const AppSettings& s, const MainWindowFacts& facts) {
  maxHeight = Clamp(facts.maxHeight, kHeightMin, kHeightMax);
  minHeight = Clamp(facts.shrinkHeight, kHeightMin, maxHeight);
  Type(SetupSpin::kTimer, s.timer);
  Type(SetupSpin::kTimerEZ, s.timerEZ);
  Type(SetupSpin::kResize, s.resize);
  Type(SetupSpin::kOpenFiles, s.openFiles);
  makeNew = s.makeNew;
  caretInside = s.caretInside;
  library = facts.libraryInSystem;

  changeMode = s.changeMode == 0 ? 0 : 1;
  closeMode = s.closeMode >= 0 && s.closeMode <= 2 ? s.closeMode : 1;
  filters = FilterRows::FromSettings(s.fileFilter, s.fileFilterC);

  crlf = CrlfSetting(s.lineEnd);
  Type(SetupSpin::kBufSize1, facts.bufSize1);
  Type(SetupSpin::kBufSize2, facts.bufSize2);
  const auto hotKey = [](bool on, std::int32_t modifiers, char letter) {
    HotKeyBox box;
    box.on = on;
    box.modifiers = modifiers >= 1 && modifiers <= kModifierItems ? modifiers : 1;
    box.letter = letter;
    box.text = Bytes(1, letter);
    return box;
  };
  hotKeyR = hotKey(s.hotKeyR, s.hotKeyR1, s.hotKeyR2);
  hotKeyA = hotKey(s.hotKeyA, s.hotKeyA1, s.hotKeyA2);

  const DeliverySettings& simple = s.modeDelivery[kSimpleMode];
  pasteKindEZ = simple.pasteKind == 1 ? 1 : 0;
  Type(SetupSpin::kIntervalEZ, simple.pasteInterval);
  cutPasteEZ.Load(simple.cutPasteKey);

  kinds = KindList(s.fileKinds);
  ShowKind(0);

  programs = ProgramRows(s.programs);
  fileKindItem = 0;
}

template <typename Self>
auto& SetupCopy::FieldOf(Self& self, SetupSpin spin) {
  switch (spin) {
    case SetupSpin::kMinHeight: return self.minHeight;
    case SetupSpin::kMaxHeight: return self.maxHeight;
    case SetupSpin::kTimer: return self.timer;
    case SetupSpin::kTimerEZ: return self.timerEZ;
    case SetupSpin::kResize: return self.resize;
    case SetupSpin::kOpenFiles: return self.openFiles;
    case SetupSpin::kBufSize1: return self.bufSize1;
    case SetupSpin::kBufSize2: return self.bufSize2;
    case SetupSpin::kIntervalEZ: return self.intervalEZ;
    case SetupSpin::kInterval: return self.linked.interval;
  }
  return self.timer;
}

int SetupCopy::Value(SetupSpin spin) const { return FieldOf(*this, spin); }

SpinRange SetupCopy::Range(SetupSpin spin) const {
  switch (spin) {
    case SetupSpin::kMinHeight: return {kHeightMin, maxHeight, 1};
    case SetupSpin::kMaxHeight: return {minHeight, kHeightMax, 1};
    case SetupSpin::kTimer: return {10, 3000, 10};
    case SetupSpin::kTimerEZ: return {0, 10000, 100};
    case SetupSpin::kResize: return {0, 20, 1};
    case SetupSpin::kOpenFiles: return {4, kMaxOpenFiles, 1};
    case SetupSpin::kBufSize1: return {kBufferMin, kBufferMax, bufSize1 / 2};
    case SetupSpin::kBufSize2: return {kBufferMin, kBufferMax, bufSize2 / 2};
    case SetupSpin::kIntervalEZ:
    case SetupSpin::kInterval: return {0, kMaxPasteInterval, 5};
  }
  return {};
}

void SetupCopy::Type(SetupSpin spin, std::int64_t typed) {
  const SpinRange range = Range(spin);
  int value = Clamp(typed, range.min, range.max);
  if (spin == SetupSpin::kBufSize1 || spin == SetupSpin::kBufSize2) value = SnapBufferSize(value);
  FieldOf(*this, spin) = value;
}

void SetupCopy::Spin(SetupSpin spin, int direction) {
  const std::int64_t step = Range(spin).step;
  Type(spin, Value(spin) + (direction >= 0 ? step : -step));
}

SetupEnables SetupCopy::Enables() const {
  SetupEnables e;
  e.editClassName2 = linked.className2Ticked;
  e.hotKeyRBoxes = hotKeyR.on;
  e.hotKeyABoxes = hotKeyA.on;
  e.intervalEZ = pasteKindEZ == 1;
  e.cutPasteButtonsEZ = pasteKindEZ == 1;
  e.keyGroupsEZ = pasteKindEZ == 1 && cutPasteEZ.KeysUsable();
  e.interval = linked.pasteKind == 1;
  e.radioGroupCutPaste = linked.pasteKind == 1;
  e.programList = !programs.Editing();
  e.programSet = ProgramRows::PathUsable(programFields.path);
  e.programCancel = programs.Selected().has_value();
  return e;
}

std::int32_t SetupCopy::ShownKindKeys() const {
  const std::optional<std::size_t> shown = kinds.Shown();
  return shown ? kinds.Kinds().at(*shown).cutPasteKey : kDefaultCutPasteKey;
}

void SetupCopy::StoreDetectedKeys(std::int32_t packed) {
  if (const std::optional<std::size_t> shown = kinds.Shown()) kinds.Kind(*shown).cutPasteKey = packed;
  linked.cutPaste = CutPasteChoiceOf(packed);
}

std::optional<std::size_t> SetupCopy::DefaultProgramItem() const {
  if (fileKindItem >= kinds.Kinds().size()) return std::nullopt;
  const std::int32_t programNo = kinds.Kinds()[fileKindItem].programNo;
  if (programNo < 0 || static_cast<std::size_t>(programNo) > programs.Count()) return std::nullopt;
  return static_cast<std::size_t>(programNo);
}

void SetupCopy::SetDefaultProgram(std::size_t item) {
  if (fileKindItem >= kinds.Kinds().size() || item > programs.Count()) return;
  kinds.Kind(fileKindItem).programNo = static_cast<std::int32_t>(item);
}

// ---- Placement -----------------------------------------------------------------

DialogPlacement ClampToScreen(int left, int top, int width, const Rect& workArea) {
  if (left < workArea.left) return {workArea.left, top, left - workArea.left};
  if (left + width > workArea.right) return {workArea.right - width, top, left + width - workArea.right};
  return {left, top, 0};
}

DialogPlacement PlaceSetupDialog(Point mainTopLeft, int width, const Rect& workArea) {
  return ClampToScreen(mainTopLeft.x - 100, mainTopLeft.y, width, workArea);
}

Point MainPositionAfterSetup(Point dialog, int clampOffset) { return {dialog.x + clampOffset + 100, dialog.y}; }

Point CenterOn(const Rect& owner, int width, int height) {
  return {owner.left + owner.Width() / 2 - width / 2, owner.top + owner.Height() / 2 - height / 2};
}

}  // namespace quiltor
