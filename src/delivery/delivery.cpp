#include "delivery/delivery.h"

#include <algorithm>
#include <cstring>

#include "text/cp932.h"

namespace quiltor {
namespace {

constexpr std::uint8_t kVkControl = 0x11;
constexpr std::uint8_t kVkShift = 0x10;
constexpr std::uint8_t kVkMenu = 0x12;

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

}  // namespace

const wchar_t* DeliveryStatusMessage(DeliveryStatus status) {
  switch (status) {
    case DeliveryStatus::kOk: return nullptr;
    case DeliveryStatus::kClipboardUnavailable: return L"クリップボードを開くことができません";
  }
  return nullptr;
}

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
                                   Processes& processes)
    : clipboard_(clipboard), windows_(windows), keyboard_(keyboard), processes_(processes) {}

void DeliveryRoutines::NoteOwnWrite() { lastWriteSequence_ = clipboard_.SequenceNumber(); }

void DeliveryRoutines::KeepLocalCopy(ClipboardSnapshot&& local) {
  if (saved_) return;  // an older saved state is the user's own
  saved_ = std::move(local);
  lastWriteSequence_ = clipboard_.SequenceNumber();
}

std::optional<Bytes> DeliveryRoutines::ReadTextForStep(int attempts) {
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!clipboard_.HasText()) return Bytes();
    if (std::optional<Bytes> text = clipboard_.GetText()) return text;
  }
  return std::nullopt;
}

void DeliveryRoutines::CopyToBuffer(const Bytes& text, std::span<std::uint8_t> buffer) {
  if (buffer.empty()) return;
  const std::size_t count = FitOnCharacterBoundary(text, buffer.size() - 1);
  std::memcpy(buffer.data(), text.data(), count);
}

void DeliveryRoutines::FocusTarget(WindowId target, std::uint32_t interval, bool activeFirst) {
  processes_.Sleep(interval);
  if (activeFirst) {
    windows_.SetActive(target);
    windows_.SetForeground(target);
  } else {
    windows_.SetForeground(target);
    windows_.SetActive(target);
  }
  processes_.Sleep(interval);
}

std::vector<KeyEvent> DeliveryRoutines::KeyEventsFor(int keyCode) {
  std::vector<KeyEvent> events;
  if (!IsValidKeyCode(keyCode)) return events;
  const std::span<const std::uint8_t> modifiers = ModifierKeys(keyCode / 100 - 1);
  const std::uint8_t key = *KeyNumberVirtualKey(keyCode % 100);
  std::vector<std::uint8_t> modifierScans;
  for (std::uint8_t vk : modifiers) modifierScans.push_back(keyboard_.ScanCode(vk));
  const std::uint8_t keyScan = keyboard_.ScanCode(key);
  for (std::size_t i = 0; i < modifiers.size(); ++i) events.push_back({modifiers[i], modifierScans[i], false});
  events.push_back({key, keyScan, false});
  events.push_back({key, keyScan, true});
  for (std::size_t i = modifiers.size(); i-- > 0;) events.push_back({modifiers[i], modifierScans[i], true});
  return events;
}

void DeliveryRoutines::SendEvents(const std::vector<KeyEvent>& events) {
  for (const KeyEvent& event : events) keyboard_.Send(event);
}

bool DeliveryRoutines::PressKeyCode(int keyCode) {
  const std::vector<KeyEvent> events = KeyEventsFor(keyCode);
  SendEvents(events);
  return !events.empty();
}

bool DeliveryRoutines::WaitForClipboard(WindowId target, std::uint32_t interval) {
  const std::uint64_t start = processes_.NowMilliseconds();
  while (true) {
    windows_.Send(target, kWmDestroyClipboard);
    processes_.Sleep(interval);
    if (!clipboard_.IsHeldOpen()) return true;
    if (processes_.NowMilliseconds() - start >= kClipboardWaitLimitMs) return false;
  }
}

DeliveryStatus DeliveryRoutines::FailedAfterOwnChange() {
  // What the target's cut or copy put on the clipboard was asked for by the
  // tool, so the idle step may still give the user's state back over it.
  NoteOwnWrite();
  return DeliveryStatus::kClipboardUnavailable;
}

DeliveryStatus DeliveryRoutines::SaveClipboardIfNone() {
  if (saved_) return DeliveryStatus::kOk;
  std::optional<ClipboardSnapshot> snapshot = clipboard_.Snapshot();
  if (!snapshot) return DeliveryStatus::kClipboardUnavailable;
  saved_ = std::move(*snapshot);
  // Putting back what is there now is harmless, so the state counts as ours.
  NoteOwnWrite();
  return DeliveryStatus::kOk;
}

bool DeliveryRoutines::RestoreIsSafe() {
  return !lastWriteSequence_ || clipboard_.SequenceNumber() == *lastWriteSequence_;
}

RestoreResult DeliveryRoutines::RestoreSavedClipboard() {
  if (!saved_) return RestoreResult::kNothingPending;
  if (!RestoreIsSafe()) {
    saved_.reset();
    return RestoreResult::kSkippedChanged;
  }
  if (!clipboard_.Restore(*saved_)) return RestoreResult::kClipboardUnavailable;
  saved_.reset();
  NoteOwnWrite();
  return RestoreResult::kRestored;
}

DeliveryStatus DeliveryRoutines::DeliverByMessages(WindowId target, const Bytes& before,
                                                   const Bytes& after, std::uint32_t /*interval*/,
                                                   std::int64_t /*keySetting*/) {
  std::optional<ClipboardSnapshot> local = clipboard_.Snapshot();
  if (!local) return DeliveryStatus::kClipboardUnavailable;
  if (!clipboard_.Empty()) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteOwnWrite();
  Bytes result = before;
  windows_.Send(target, kWmCut);
  if (!after.empty()) {
    std::optional<Bytes> selection = ReadTextForStep(1);
    if (!selection) {
      KeepLocalCopy(std::move(*local));
      return DeliveryStatus::kClipboardUnavailable;
    }
    result += *selection;
    result += after;
  }
  if (!clipboard_.SetText(result, /*transient=*/true)) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteOwnWrite();
  windows_.Send(target, kWmPaste);
  if (!RestoreIsSafe()) return DeliveryStatus::kOk;  // someone else's newer data stays
  if (!clipboard_.Restore(*local)) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteOwnWrite();
  return DeliveryStatus::kOk;
}

DeliveryStatus DeliveryRoutines::DeliverByKeys(WindowId target, const Bytes& before,
                                               const Bytes& after, std::uint32_t interval,
                                               std::int64_t keySetting) {
  if (SaveClipboardIfNone() != DeliveryStatus::kOk) return DeliveryStatus::kClipboardUnavailable;
  if (!clipboard_.Empty()) return DeliveryStatus::kClipboardUnavailable;
  NoteOwnWrite();
  Bytes result = before;
  const CutPasteCodes keys = KeyCodesForDelivery(keySetting);
  const std::vector<KeyEvent> cutEvents = KeyEventsFor(keys.cut);
  const std::vector<KeyEvent> pasteEvents = KeyEventsFor(keys.paste);

  FocusTarget(target, interval, /*activeFirst=*/false);
  SendEvents(cutEvents);
  if (!WaitForClipboard(target, interval)) return FailedAfterOwnChange();
  if (!after.empty()) {
    std::optional<Bytes> selection = ReadTextForStep(2);
    if (!selection) return FailedAfterOwnChange();
    result += *selection;
    result += after;
  }
  if (!clipboard_.SetText(result, /*transient=*/true)) return FailedAfterOwnChange();
  NoteOwnWrite();
  FocusTarget(target, interval, /*activeFirst=*/false);
  SendEvents(pasteEvents);
  if (!WaitForClipboard(target, interval)) return FailedAfterOwnChange();
  return DeliveryStatus::kOk;
}

DeliveryStatus DeliveryRoutines::FetchSelectionByMessages(WindowId target, std::uint32_t /*interval*/,
                                                          std::int64_t /*keySetting*/, bool cut,
                                                          std::span<std::uint8_t> buffer) {
  std::optional<ClipboardSnapshot> local = clipboard_.Snapshot();
  if (!local) return DeliveryStatus::kClipboardUnavailable;
  if (!clipboard_.Empty()) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteOwnWrite();
  windows_.Send(target, cut ? kWmCut : kWmCopy);
  std::optional<Bytes> selection = ReadTextForStep(1);
  if (!selection) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  CopyToBuffer(*selection, buffer);
  // The target's copy was made at the tool's request.
  NoteOwnWrite();
  if (!clipboard_.Restore(*local)) {
    KeepLocalCopy(std::move(*local));
    return DeliveryStatus::kClipboardUnavailable;
  }
  NoteOwnWrite();
  return DeliveryStatus::kOk;
}

DeliveryStatus DeliveryRoutines::FetchSelectionByKeys(WindowId target, std::uint32_t interval,
                                                      std::int64_t keySetting, bool cut,
                                                      std::span<std::uint8_t> buffer) {
  if (SaveClipboardIfNone() != DeliveryStatus::kOk) return DeliveryStatus::kClipboardUnavailable;
  if (!clipboard_.Empty()) return DeliveryStatus::kClipboardUnavailable;
  NoteOwnWrite();
  const CutPasteCodes keys = KeyCodesForDelivery(keySetting);
  const std::vector<KeyEvent> events = KeyEventsFor(cut ? keys.cut : keys.copy);

  FocusTarget(target, interval, /*activeFirst=*/true);
  SendEvents(events);
  if (!WaitForClipboard(target, interval)) return FailedAfterOwnChange();
  std::optional<Bytes> selection = ReadTextForStep(2);
  if (!selection) return FailedAfterOwnChange();
  CopyToBuffer(*selection, buffer);
  // The target's copy was made at the tool's request.
  NoteOwnWrite();
  return DeliveryStatus::kOk;
}

DeliveryStatus DeliveryRoutines::Deliver(int pasteKind, WindowId target, const Bytes& before,
                                         const Bytes& after, std::uint32_t interval,
                                         std::int64_t keySetting) {
  if (pasteKind == kPasteByKeys) return DeliverByKeys(target, before, after, interval, keySetting);
  return DeliverByMessages(target, before, after, interval, keySetting);
}

DeliveryStatus DeliveryRoutines::Fetch(int pasteKind, WindowId target, std::uint32_t interval,
                                       std::int64_t keySetting, bool cut,
                                       std::span<std::uint8_t> buffer) {
  if (pasteKind == kPasteByKeys) return FetchSelectionByKeys(target, interval, keySetting, cut, buffer);
  return FetchSelectionByMessages(target, interval, keySetting, cut, buffer);
}

}  // namespace quiltor
