#include "delivery/delivery.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/keyboard.h"
#include "text/cp932.h"

namespace quiltor {
namespace {

constexpr int kKeyNumberV = 21;

// Rows of modifier combinations (Ctrl 1 + Shift 2 + Alt 4), in press order.
struct ModifierRow {
  std::uint8_t keys[3];
  std::size_t count;
};
constexpr std::array<ModifierRow, 8> kModifierTable = {{
    {{0, 0, 0}, 0},
    {{kVkControl, 0, 0}, 1},
    {{kVkShift, 0, 0}, 1},
    {{kVkControl, kVkShift, 0}, 2},
    {{kVkMenu, 0, 0}, 1},
    {{kVkControl, kVkMenu, 0}, 2},
    {{kVkShift, kVkMenu, 0}, 2},
    {{kVkControl, kVkShift, kVkMenu}, 3},
}};

constexpr int kKeyCount = 50;
// A guard against a parent chain that loops back on itself.
constexpr int kMaxParentDepth = 64;

DeliveryStatus StatusOf(SendStatus status) {
  switch (status) {
    case SendStatus::kDone: return DeliveryStatus::kOk;
    case SendStatus::kNoAnswer: return DeliveryStatus::kTargetHung;
    case SendStatus::kRefused: return DeliveryStatus::kTargetProtected;
    case SendStatus::kWindowGone: return DeliveryStatus::kTargetGone;
  }
  return DeliveryStatus::kTargetGone;
}

}  // namespace

CutPasteCodes KeyCodesForDelivery(std::int64_t packed) {
  const bool inRange = packed >= 0 && packed <= 999999999;
  return DecodeCutPasteKey(SanitizeCutPasteKey(inRange ? static_cast<std::int32_t>(packed) : -1));
}

std::span<const std::uint8_t> ModifierKeys(int combination) {
  if (combination < 0 || combination >= static_cast<int>(kModifierTable.size())) return {};
  const ModifierRow& row = kModifierTable[static_cast<std::size_t>(combination)];
  return {row.keys, row.count};
}

std::optional<std::uint8_t> KeyNumberVirtualKey(int keyNumber) {
  if (keyNumber < 0 || keyNumber >= kKeyCount) return std::nullopt;
  if (keyNumber <= 25) return static_cast<std::uint8_t>(0x41 + keyNumber);       // A..Z
  if (keyNumber <= 34) return static_cast<std::uint8_t>(0x31 + keyNumber - 26);  // 1..9
  if (keyNumber == 35) return std::uint8_t{0x30};                                // 0
  if (keyNumber == 36) return std::uint8_t{0x2D};                                // Insert
  if (keyNumber == 37) return std::uint8_t{0x2E};                                // Delete
  return static_cast<std::uint8_t>(0x70 + keyNumber - 38);                       // F1..F12
}

DeliveryRoutines::DeliveryRoutines(Clipboard& clipboard, WindowSystem& windows, Keyboard& keyboard,
                                   Processes& processes, IntegrityLevels* integrity)
    : clipboard_(clipboard), windows_(windows), keyboard_(keyboard), processes_(processes), integrity_(integrity) {}

bool DeliveryRoutines::KeysWouldBeDropped(WindowId target) {
  if (!integrity_) return false;
  return KeysBlocked(integrity_->OfOwnProcess(), integrity_->OfProcess(windows_.ProcessOf(target)));
}

// ---- Steps --------------------------------------------------------------------

DeliveryStatus DeliveryRoutines::Reach(WindowId target) {
  return StatusOf(windows_.SendWithin(target, kWmNull, kAnswerTimeoutMs).status);
}

DeliveryStatus DeliveryRoutines::SendToTarget(WindowId target, std::uint32_t message) {
  return StatusOf(windows_.SendWithin(target, message, kAnswerTimeoutMs).status);
}

bool DeliveryRoutines::KeysReach(WindowId target) {
  const WindowId root = windows_.Root(target);
  if (root == kNoWindow || windows_.Foreground() != root) return false;
  const WindowId focus = windows_.FocusOfThread(target);
  // Without a focus window the keys go to the active window itself.
  if (focus == kNoWindow) return target == root;
  WindowId window = focus;
  for (int depth = 0; depth < kMaxParentDepth && window != kNoWindow; ++depth) {
    if (window == target) return true;
    window = windows_.Parent(window);
  }
  return false;
}

// Windows may refuse the foreground change, or the target may move its focus
// elsewhere: keys are sent only when they reach the target. The target gets
// a moment to take the focus it was given.
bool DeliveryRoutines::KeysReachWithin(WindowId target, std::uint32_t milliseconds) {
  const std::uint64_t start = processes_.NowMilliseconds();
  while (!KeysReach(target)) {
    if (processes_.NowMilliseconds() - start >= milliseconds) return false;
    processes_.Sleep(kPollMs);
  }
  return true;
}

DeliveryStatus DeliveryRoutines::FocusTarget(WindowId target, std::uint32_t interval, bool activeFirst) {
  processes_.Sleep(interval);
  if (activeFirst) {
    windows_.SetActive(target);
    windows_.SetForeground(target);
  } else {
    windows_.SetForeground(target);
    windows_.SetActive(target);
  }
  processes_.Sleep(interval);
  return KeysReachWithin(target, kFocusWaitMs) ? DeliveryStatus::kOk : DeliveryStatus::kFocusRefused;
}

std::vector<KeyEvent> DeliveryRoutines::KeyEventsFor(int keyCode) {
  std::vector<KeyEvent> events;
  if (!IsValidKeyCode(keyCode)) return events;
  const std::span<const std::uint8_t> modifiers = ModifierKeys(KeyCodeModifiers(keyCode));
  const std::uint8_t key = *KeyNumberVirtualKey(KeyCodeNumber(keyCode));
  std::vector<std::uint8_t> modifierScans;
  for (std::uint8_t vk : modifiers) modifierScans.push_back(keyboard_.ScanCode(vk));
  const std::uint8_t keyScan = keyboard_.ScanCode(key);
  for (std::size_t i = 0; i < modifiers.size(); ++i) events.push_back({modifiers[i], modifierScans[i], false});
  events.push_back({key, keyScan, false});
  events.push_back({key, keyScan, true});
  for (std::size_t i = modifiers.size(); i-- > 0;) events.push_back({modifiers[i], modifierScans[i], true});
  return events;
}

bool DeliveryRoutines::PressKeyCode(int keyCode) {
  const std::vector<KeyEvent> events = KeyEventsFor(keyCode);
  return !events.empty() && keyboard_.Send(events);
}

// The first wait of a step sleeps the interval the user set for the editor;
// later polls sleep at least kPollMs, so a zero interval does not spin.
void DeliveryRoutines::PollSleep(std::uint32_t interval, bool first) {
  processes_.Sleep(first ? interval : std::max(interval, kPollMs));
}

DeliveryStatus DeliveryRoutines::WaitForClipboard(WindowId target, std::uint32_t interval) {
  const std::uint64_t start = processes_.NowMilliseconds();
  for (bool first = true;; first = false) {
    if (DeliveryStatus status = SendToTarget(target, kWmDestroyClipboard); status != DeliveryStatus::kOk)
      return status;
    PollSleep(interval, first);
    if (!clipboard_.IsHeldOpen()) return DeliveryStatus::kOk;
    if (processes_.NowMilliseconds() - start >= kClipboardWaitLimitMs) return DeliveryStatus::kClipboardUnavailable;
  }
}

bool DeliveryRoutines::ClipboardChangedSince(std::uint32_t sequence) {
  return clipboard_.SequenceNumber() != sequence || !clipboard_.HoldsOwnContent();
}

DeliveryStatus DeliveryRoutines::AwaitCut(WindowId target, std::uint32_t interval, std::uint32_t patience,
                                          std::uint32_t sequenceBefore, bool& changed) {
  const std::uint64_t start = processes_.NowMilliseconds();
  patience = std::max(interval, patience);
  for (bool first = true;; first = false) {
    if (DeliveryStatus status = SendToTarget(target, kWmDestroyClipboard); status != DeliveryStatus::kOk)
      return status;
    PollSleep(interval, first);
    changed = ClipboardChangedSince(sequenceBefore);
    const std::uint64_t elapsed = processes_.NowMilliseconds() - start;
    if (changed && !clipboard_.IsHeldOpen()) return DeliveryStatus::kOk;
    if (!changed && elapsed >= patience) return DeliveryStatus::kOk;
    if (elapsed >= kClipboardWaitLimitMs) return DeliveryStatus::kClipboardUnavailable;
  }
}

std::optional<ClipboardText> DeliveryRoutines::ReadTextForStep(int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!clipboard_.HasText()) return ClipboardText{{}, Bytes()};
    if (std::optional<ClipboardText> text = clipboard_.GetText()) return text;
  }
  return std::nullopt;
}

bool DeliveryRoutines::PutPasteText(const PasteText& text, WindowId target) {
  return clipboard_.PutForPaste(text, windows_.ProcessOf(target));
}

WindowId DeliveryRoutines::KeysWindow(WindowId target) {
  const WindowId focus = windows_.FocusOfThread(target);
  return focus != kNoWindow ? focus : target;
}

DeliveryStatus DeliveryRoutines::PutAfterCut(WindowId target, const Bytes& before, const Bytes& after,
                                             std::uint32_t interval, bool arrived, std::uint32_t emptied,
                                             bool& intoEmpty) {
  intoEmpty = false;
  if (!arrived) {
    const std::uint32_t process = windows_.ProcessOf(target);
    switch (clipboard_.PutForPasteIfUnchanged(PasteText{before, {}, after}, process, emptied)) {
      case PutResult::kPut:
        // The cut may still come: the restore looks for it.
        lateCutFrom_ = process;
        intoEmpty = true;
        return DeliveryStatus::kOk;
      case PutResult::kUnavailable:
        AdoptCurrentContent();
        return DeliveryStatus::kClipboardUnavailable;
      case PutResult::kChanged:
        // The cut came after all, this moment: let the editor finish it.
        if (DeliveryStatus status = WaitForClipboard(target, interval); status != DeliveryStatus::kOk) {
          AdoptCurrentContent();
          return status;
        }
        break;
    }
  }
  PasteText result{before, {}, {}};
  if (!after.empty()) {
    std::optional<ClipboardText> selection = ReadTextForStep(2);
    if (!selection) {
      AdoptCurrentContent();
      return DeliveryStatus::kClipboardUnavailable;
    }
    result.selection = std::move(*selection);
    result.after = after;
  }
  if (!PutPasteText(result, target)) {
    AdoptCurrentContent();
    return DeliveryStatus::kClipboardUnavailable;
  }
  return DeliveryStatus::kOk;
}

// ---- The caret after a write into an empty selection ----------------------------

DeliveryStatus DeliveryRoutines::PlaceCaret(WindowId target, WindowId control, const SelectionAnswer& selection,
                                            const Bytes& before, const Bytes& after, bool byKeys) {
  if (after.empty()) return DeliveryStatus::kOk;
  if (selection.caret && !LikelyUnits(selection.kind).empty()) {
    if (std::optional<DeliveryStatus> status = PlaceCaretByPositions(control, selection, before, after))
      return *status;
  }
  // Where positions cannot be had, only keys move the caret; a message write
  // leaves it after the text.
  return byKeys ? PlaceCaretByKeys(target, after) : DeliveryStatus::kOk;
}

std::optional<DeliveryStatus> DeliveryRoutines::PlaceCaretByPositions(WindowId control,
                                                                      const SelectionAnswer& selection,
                                                                      const Bytes& before, const Bytes& after) {
  const std::uint32_t caretBefore = *selection.caret;
  const Bytes written = before + after;
  // Positions past 16 bits are not answered: the keys can still do it.
  if (caretBefore + PositionsOf(written, PositionUnits::kBytes) >= 0xFFFF) return std::nullopt;
  const std::uint64_t start = processes_.NowMilliseconds();
  for (;;) {
    const std::optional<std::uint32_t> caret = AskCaret(windows_, control, kAnswerTimeoutMs);
    if (caret && *caret != caretBefore) {
      // The paste moved it: by the whole text in the window's own count.
      for (PositionUnits units : LikelyUnits(selection.kind)) {
        if (*caret != caretBefore + PositionsOf(written, units)) continue;
        const std::size_t between = *caret - PositionsOf(after, units);
        return StatusOf(windows_.SendWithin(control, kEmSetSel, kAnswerTimeoutMs, between,
                                            static_cast<std::intptr_t>(between))
                            .status);
      }
      return std::nullopt;
    }
    // A paste that has not come by now may come any time: the caret stays.
    if (processes_.NowMilliseconds() - start >= kCaretWaitMs) return DeliveryStatus::kOk;
    processes_.Sleep(kPollMs);
  }
}

DeliveryStatus DeliveryRoutines::PlaceCaretByKeys(WindowId target, const Bytes& after) {
  // The arrows must not overtake the paste: they go only once the target has
  // read the text (or when nobody can tell), and not when its own late cut
  // replaced the text on the clipboard.
  const std::uint64_t start = processes_.NowMilliseconds();
  for (;;) {
    if (!clipboard_.HoldsOwnContent()) return DeliveryStatus::kOk;
    const PasteRead read = clipboard_.PasteTextRead();
    if (read == PasteRead::kByReader || read == PasteRead::kUnknown) break;
    if (processes_.NowMilliseconds() - start >= kCaretWaitMs) return DeliveryStatus::kOk;
    processes_.Sleep(kPollMs);
  }
  // The user has gone on to another window: the keys would land there.
  if (!KeysReach(target)) return DeliveryStatus::kOk;
  const std::uint8_t scan = keyboard_.ScanCode(kVkLeft);
  std::vector<KeyEvent> events;
  for (std::size_t step = CaretStepsOver(after); step > 0; --step) {
    events.push_back({kVkLeft, scan, false, true});
    events.push_back({kVkLeft, scan, true, true});
  }
  return keyboard_.Send(events) ? DeliveryStatus::kOk : DeliveryStatus::kInputRefused;
}

bool DeliveryRoutines::CopyToBuffer(const ClipboardText& text, std::span<std::uint8_t> buffer) {
  // A module's buffer holds code page 932 by contract: a "?" in place of a
  // character would come back into the user's text.
  if (!text.ansi) return false;
  if (buffer.empty()) return true;
  const std::size_t count = FitOnCharacterBoundary(*text.ansi, buffer.size() - 1);
  std::memcpy(buffer.data(), text.ansi->data(), count);
  return true;
}

// ---- The saved clipboard ------------------------------------------------------

void DeliveryRoutines::AdoptCurrentContent() { adoptedSequence_ = clipboard_.SequenceNumber(); }

void DeliveryRoutines::Drop() {
  saved_.reset();
  adoptedSequence_.reset();
  pasteWrittenAt_.reset();
  lateCutFrom_.reset();
  lateCutSaved_ = false;
}

bool DeliveryRoutines::LateCutOnClipboard() {
  return lateCutFrom_ && !clipboard_.HoldsOwnContent() && clipboard_.OwnerProcess() == *lateCutFrom_;
}

void DeliveryRoutines::NoteLost(const std::vector<ClipboardFormatName>& formats) {
  lost_.insert(lost_.end(), formats.begin(), formats.end());
}

DeliveryStatus DeliveryRoutines::Finish() const {
  return lost_.empty() ? DeliveryStatus::kOk : DeliveryStatus::kFormatsNotKept;
}

std::optional<ClipboardSnapshot> DeliveryRoutines::TakeSnapshot() {
  // Every caller changes the clipboard next, so the kept state is handed over, not copied.
  std::optional<ClipboardSnapshot> kept = std::exchange(putBack_, std::nullopt);
  if (kept && clipboard_.HoldsOwnContent() && clipboard_.SequenceNumber() == putBackSequence_) return kept;
  return clipboard_.Snapshot();
}

RestoreOutcome DeliveryRoutines::PutBack(ClipboardSnapshot& snapshot) {
  putBack_.reset();
  RestoreOutcome outcome = clipboard_.Restore(snapshot);
  if (outcome.opened && outcome.notRestored.empty()) {
    // The formats not kept are not on the clipboard now: not reported again.
    putBack_ = ClipboardSnapshot{std::move(snapshot.formats), {}};
    putBackSequence_ = clipboard_.SequenceNumber();
  }
  return outcome;
}

std::optional<ClipboardSnapshot> DeliveryRoutines::TakeLocalAndEmpty() {
  std::optional<ClipboardSnapshot> local = TakeSnapshot();
  if (!local || !clipboard_.Empty()) return std::nullopt;
  NoteLost(local->notKept);
  return local;
}

DeliveryStatus DeliveryRoutines::SaveClipboardIfNone() {
  if (saved_ && RestoreIsSafe()) return DeliveryStatus::kOk;
  // A late cut of the last target is newer than the saved state: it is what
  // comes back now, and the user is told at the restore.
  const bool lateCut = saved_ && LateCutOnClipboard();
  Drop();
  std::optional<ClipboardSnapshot> snapshot = TakeSnapshot();
  if (!snapshot) return DeliveryStatus::kClipboardUnavailable;
  NoteLost(snapshot->notKept);
  saved_ = std::move(*snapshot);
  lateCutSaved_ = lateCut;
  return DeliveryStatus::kOk;
}

bool DeliveryRoutines::RestoreIsSafe() {
  if (clipboard_.HoldsOwnContent()) return true;
  return adoptedSequence_ && clipboard_.SequenceNumber() == *adoptedSequence_;
}

RestoreResult DeliveryRoutines::RestoreSavedClipboard() {
  if (!saved_) return RestoreResult::kNothingPending;
  if (!RestoreIsSafe()) {
    const bool lateCut = LateCutOnClipboard();
    Drop();
    return lateCut ? RestoreResult::kLateCutKept : RestoreResult::kSkippedChanged;
  }
  const bool lateCutSaved = lateCutSaved_;
  const RestoreOutcome outcome = PutBack(*saved_);
  if (!outcome.opened) return RestoreResult::kClipboardUnavailable;
  Drop();
  lost_ = outcome.notRestored;
  if (lateCutSaved) return RestoreResult::kLateCutKept;
  return lost_.empty() ? RestoreResult::kRestored : RestoreResult::kPartlyRestored;
}

void DeliveryRoutines::DiscardSavedClipboard() { Drop(); }

DeliveryStatus DeliveryRoutines::GiveBack(DeliveryStatus status) {
  if (!saved_) return status;
  const RestoreOutcome outcome = PutBack(*saved_);
  if (!outcome.opened) {
    // Whatever is there now was put there for the tool: the idle step may
    // still replace it with the user's state.
    AdoptCurrentContent();
    return status;
  }
  Drop();
  NoteLost(outcome.notRestored);
  return status;
}

DeliveryStatus DeliveryRoutines::KeepLocal(ClipboardSnapshot&& local, DeliveryStatus status) {
  // An older saved state is the user's own.
  if (!saved_) saved_ = std::move(local);
  AdoptCurrentContent();
  return status;
}

DeliveryStatus DeliveryRoutines::RestoreLocal(ClipboardSnapshot&& local, DeliveryStatus status) {
  const RestoreOutcome outcome = PutBack(local);
  // A reader (a clipboard monitor) may hold it open this moment: the idle
  // step tries again.
  if (!outcome.opened) return KeepLocal(std::move(local), status);
  NoteLost(outcome.notRestored);
  if (status == DeliveryStatus::kOk && !outcome.notRestored.empty()) return DeliveryStatus::kFormatsNotRestored;
  return status == DeliveryStatus::kOk ? Finish() : status;
}

// ---- The routines ---------------------------------------------------------------

DeliveryStatus DeliveryRoutines::DeliverByMessages(WindowId target, const Bytes& before, const Bytes& after,
                                                   std::uint32_t /*interval*/, std::int64_t /*keySetting*/,
                                                   CaretPlacement caret) {
  lost_.clear();
  if (DeliveryStatus status = Reach(target); status != DeliveryStatus::kOk) return status;
  // Asked only for the caret: the cut message itself finds an empty selection.
  const bool caretBetween = caret == CaretPlacement::kBetween && !after.empty();
  const SelectionAnswer beforePaste = caretBetween ? AskSelection(windows_, target, kAnswerTimeoutMs) : SelectionAnswer{};
  std::optional<ClipboardSnapshot> local = TakeLocalAndEmpty();
  if (!local) return DeliveryStatus::kClipboardUnavailable;
  PasteText result{before, {}, {}};
  if (DeliveryStatus status = SendToTarget(target, kWmCut); status != DeliveryStatus::kOk)
    return RestoreLocal(std::move(*local), status);
  if (!after.empty()) {
    std::optional<ClipboardText> selection = ReadTextForStep(1);
    if (!selection) return KeepLocal(std::move(*local), DeliveryStatus::kClipboardUnavailable);
    result.selection = std::move(*selection);
    result.after = after;
  }
  if (!PutPasteText(result, target)) return KeepLocal(std::move(*local), DeliveryStatus::kClipboardUnavailable);
  const DeliveryStatus pasted = SendToTarget(target, kWmPaste);
  if (pasted == DeliveryStatus::kTargetHung) {
    // It may still paste when it wakes up: the idle step gives the user's
    // clipboard back once it has read the text, or at the limit.
    pasteWrittenAt_ = processes_.NowMilliseconds();
    return KeepLocal(std::move(*local), pasted);
  }
  if (pasted != DeliveryStatus::kOk) return RestoreLocal(std::move(*local), pasted);
  if (clipboard_.PasteTextRead() == PasteRead::kNotRead)
    return RestoreLocal(std::move(*local), DeliveryStatus::kTextNotTaken);
  DeliveryStatus status = DeliveryStatus::kOk;
  if (beforePaste.Empty()) status = PlaceCaret(target, target, beforePaste, before, after, /*byKeys=*/false);
  if (!clipboard_.HoldsOwnContent()) return status == DeliveryStatus::kOk ? Finish() : status;  // someone else's newer data stays
  return RestoreLocal(std::move(*local), status);
}

DeliveryStatus DeliveryRoutines::DeliverByKeys(WindowId target, const Bytes& before, const Bytes& after,
                                               std::uint32_t interval, std::int64_t keySetting,
                                               CaretPlacement caret) {
  lost_.clear();
  if (DeliveryStatus status = Reach(target); status != DeliveryStatus::kOk) return status;
  if (KeysWouldBeDropped(target)) return GiveBack(DeliveryStatus::kTargetElevated);
  const CutPasteCodes keys = KeyCodesForDelivery(keySetting);
  const std::vector<KeyEvent> cutEvents = KeyEventsFor(keys.cut);
  const std::vector<KeyEvent> pasteEvents = KeyEventsFor(keys.paste);

  if (DeliveryStatus status = FocusTarget(target, interval, /*activeFirst=*/false); status != DeliveryStatus::kOk)
    return GiveBack(status);
  const WindowId control = KeysWindow(target);
  const SelectionAnswer selection = AskSelection(windows_, control, kAnswerTimeoutMs);
  if (SaveClipboardIfNone() != DeliveryStatus::kOk) return DeliveryStatus::kClipboardUnavailable;
  bool intoEmpty = selection.Empty();
  if (intoEmpty) {
    // Nothing to cut: the texts go in at the caret, without a wait.
    if (!PutPasteText(PasteText{before, {}, after}, target)) {
      AdoptCurrentContent();
      return DeliveryStatus::kClipboardUnavailable;
    }
    if (!KeysReachWithin(target, kFocusWaitMs)) return GiveBack(DeliveryStatus::kFocusRefused);
  } else {
    if (!clipboard_.Empty()) return DeliveryStatus::kClipboardUnavailable;
    const std::uint32_t emptied = clipboard_.SequenceNumber();
    if (!keyboard_.Send(cutEvents)) return GiveBack(DeliveryStatus::kInputRefused);
    bool arrived = false;
    const std::uint32_t patience = selection.Known() ? kSelectedCutWaitMs : kCutWaitMs;
    if (DeliveryStatus status = AwaitCut(target, interval, patience, emptied, arrived); status != DeliveryStatus::kOk)
      return GiveBack(status);
    // The window said something is selected: without its text the write
    // would lose it.
    if (!arrived && selection.Known()) return GiveBack(DeliveryStatus::kCutProducedNothing);
    if (DeliveryStatus status = PutAfterCut(target, before, after, interval, arrived, emptied, intoEmpty);
        status != DeliveryStatus::kOk)
      return status;
    if (DeliveryStatus status = FocusTarget(target, interval, /*activeFirst=*/false); status != DeliveryStatus::kOk)
      return GiveBack(status);
  }
  if (!keyboard_.Send(pasteEvents)) return GiveBack(DeliveryStatus::kInputRefused);
  pasteWrittenAt_ = processes_.NowMilliseconds();
  // The paste may still come: the user's clipboard stays pending either way.
  if (DeliveryStatus status = WaitForClipboard(target, interval); status != DeliveryStatus::kOk) return status;
  if (intoEmpty && caret == CaretPlacement::kBetween) {
    if (DeliveryStatus status = PlaceCaret(target, control, selection, before, after, /*byKeys=*/true);
        status != DeliveryStatus::kOk)
      return status;
  }
  return Finish();
}

DeliveryStatus DeliveryRoutines::FetchSelectionByMessages(WindowId target, std::uint32_t /*interval*/,
                                                          std::int64_t /*keySetting*/, bool cut,
                                                          std::span<std::uint8_t> buffer) {
  lost_.clear();
  if (DeliveryStatus status = Reach(target); status != DeliveryStatus::kOk) return status;
  std::optional<ClipboardSnapshot> local = TakeLocalAndEmpty();
  if (!local) return DeliveryStatus::kClipboardUnavailable;
  if (DeliveryStatus status = SendToTarget(target, cut ? kWmCut : kWmCopy); status != DeliveryStatus::kOk)
    return RestoreLocal(std::move(*local), status);
  std::optional<ClipboardText> selection = ReadTextForStep(1);
  if (!selection) return KeepLocal(std::move(*local), DeliveryStatus::kClipboardUnavailable);
  if (!CopyToBuffer(*selection, buffer)) {
    // The clipboard still holds what the target cut: its paste puts the
    // selection back as it was.
    if (cut) SendToTarget(target, kWmPaste);
    return RestoreLocal(std::move(*local), DeliveryStatus::kSelectionNotAnsi);
  }
  return RestoreLocal(std::move(*local), DeliveryStatus::kOk);
}

DeliveryStatus DeliveryRoutines::FetchSelectionByKeys(WindowId target, std::uint32_t interval,
                                                      std::int64_t keySetting, bool cut,
                                                      std::span<std::uint8_t> buffer) {
  lost_.clear();
  if (DeliveryStatus status = Reach(target); status != DeliveryStatus::kOk) return status;
  if (KeysWouldBeDropped(target)) return GiveBack(DeliveryStatus::kTargetElevated);
  const CutPasteCodes keys = KeyCodesForDelivery(keySetting);
  const std::vector<KeyEvent> events = KeyEventsFor(cut ? keys.cut : keys.copy);

  if (DeliveryStatus status = FocusTarget(target, interval, /*activeFirst=*/true); status != DeliveryStatus::kOk)
    return GiveBack(status);
  const SelectionAnswer selection = AskSelection(windows_, KeysWindow(target), kAnswerTimeoutMs);
  // Nothing selected: the buffer stays empty and the clipboard untouched.
  if (selection.Empty()) return Finish();
  if (SaveClipboardIfNone() != DeliveryStatus::kOk) return DeliveryStatus::kClipboardUnavailable;
  if (!clipboard_.Empty()) return DeliveryStatus::kClipboardUnavailable;
  const std::uint32_t emptied = clipboard_.SequenceNumber();
  if (!keyboard_.Send(events)) return GiveBack(DeliveryStatus::kInputRefused);
  bool arrived = false;
  const std::uint32_t patience = selection.Known() ? kSelectedCutWaitMs : kCutWaitMs;
  if (DeliveryStatus status = AwaitCut(target, interval, patience, emptied, arrived); status != DeliveryStatus::kOk)
    return GiveBack(status);
  if (!arrived) {
    if (selection.Known()) return GiveBack(DeliveryStatus::kCutProducedNothing);
    // Taken for an empty selection. The user's clipboard stays pending, so
    // that a copy still coming is noticed at the restore.
    lateCutFrom_ = windows_.ProcessOf(target);
    return Finish();
  }
  std::optional<ClipboardText> selected = ReadTextForStep(2);
  // The target's copy was made at the tool's request: the idle step may put
  // the user's state back over it.
  AdoptCurrentContent();
  if (!selected) return DeliveryStatus::kClipboardUnavailable;
  if (!CopyToBuffer(*selected, buffer)) {
    if (!cut) return GiveBack(DeliveryStatus::kSelectionNotAnsi);
    // A cut selection goes back as a write's text does; the user's
    // clipboard follows at the idle step, once the target has read it.
    if (!PutPasteText(PasteText{{}, std::move(*selected), {}}, target)) return DeliveryStatus::kClipboardUnavailable;
    if (DeliveryStatus status = FocusTarget(target, interval, /*activeFirst=*/false); status != DeliveryStatus::kOk)
      return GiveBack(status);
    if (!keyboard_.Send(KeyEventsFor(keys.paste))) return GiveBack(DeliveryStatus::kInputRefused);
    pasteWrittenAt_ = processes_.NowMilliseconds();
    if (DeliveryStatus status = WaitForClipboard(target, interval); status != DeliveryStatus::kOk) return status;
    return DeliveryStatus::kSelectionNotAnsi;
  }
  return Finish();
}

DeliveryStatus DeliveryRoutines::Deliver(int pasteKind, WindowId target, const Bytes& before,
                                         const Bytes& after, std::uint32_t interval,
                                         std::int64_t keySetting, CaretPlacement caret) {
  if (pasteKind == kPasteByKeys) return DeliverByKeys(target, before, after, interval, keySetting, caret);
  return DeliverByMessages(target, before, after, interval, keySetting, caret);
}

DeliveryStatus DeliveryRoutines::Fetch(int pasteKind, WindowId target, std::uint32_t interval,
                                       std::int64_t keySetting, bool cut,
                                       std::span<std::uint8_t> buffer) {
  if (pasteKind == kPasteByKeys) return FetchSelectionByKeys(target, interval, keySetting, cut, buffer);
  return FetchSelectionByMessages(target, interval, keySetting, cut, buffer);
}

DeliveryStatus DeliveryRoutines::PrimeClipboard(WindowId mainWindow, WindowId focusHolder) {
  lost_.clear();
  std::optional<ClipboardSnapshot> snapshot = TakeLocalAndEmpty();
  if (!snapshot) return DeliveryStatus::kClipboardUnavailable;
  windows_.SetForeground(mainWindow);
  windows_.SetFocus(focusHolder);
  DeliveryStatus status = DeliveryStatus::kOk;
  if (!KeysReachWithin(focusHolder, kFocusWaitMs)) {
    status = DeliveryStatus::kFocusRefused;
  } else if (!PressKeyCode(MakeKeyCode(kModCtrl, kKeyNumberV))) {
    status = DeliveryStatus::kInputRefused;
  } else {
    const std::uint64_t start = processes_.NowMilliseconds();
    while (clipboard_.IsHeldOpen() && processes_.NowMilliseconds() - start < kPrimeWaitMs) {
      windows_.SendWithin(focusHolder, kWmDestroyClipboard, kAnswerTimeoutMs);
      processes_.Sleep(kPollMs);
    }
  }
  // The user's clipboard comes back whatever happened above; a reader may
  // hold it open a moment.
  const std::uint64_t start = processes_.NowMilliseconds();
  RestoreOutcome outcome = PutBack(*snapshot);
  while (!outcome.opened && processes_.NowMilliseconds() - start < kPrimeWaitMs) {
    processes_.Sleep(kPollMs);
    outcome = PutBack(*snapshot);
  }
  if (!outcome.opened) {
    KeepLocal(std::move(*snapshot), status);
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteLost(outcome.notRestored);
  if (status != DeliveryStatus::kOk) return status;
  return outcome.notRestored.empty() ? Finish() : DeliveryStatus::kFormatsNotRestored;
}

}  // namespace quiltor
