#pragma once
// Writes text into another program's edit window and fetches its selection,
// through the clipboard: either by clipboard messages or by the editor's own
// cut/copy/paste key strokes.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/clipboard.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "settings/key_codes.h"

namespace quiltor {

enum class DeliveryStatus {
  kOk,
  // The clipboard could not be opened (or stayed held by another program);
  // the caller shows DeliveryStatusMessage().
  kClipboardUnavailable,
};

// The user-facing text for a status; null for kOk.
const wchar_t* DeliveryStatusMessage(DeliveryStatus status);

// PasteKind values.
inline constexpr int kPasteByMessages = 0;
inline constexpr int kPasteByKeys = 1;

// Indexes of the routine table: a write uses PasteKind, a fetch 2 + PasteKind.
inline constexpr int kDeliverByMessages = 0;
inline constexpr int kDeliverByKeys = 1;
inline constexpr int kFetchSelectionByMessages = 2;
inline constexpr int kFetchSelectionByKeys = 3;

// The packed key setting: copy * 1'000'000 + cut * 1'000 + paste.
inline constexpr std::int64_t kStandardKeys1 = 202223221;  // Ctrl+C, Ctrl+X, Ctrl+V
inline constexpr std::int64_t kStandardKeys2 = 236337336;  // Ctrl+Ins, Shift+Del, Shift+Ins

// The three key codes of a packed setting, ready for the key tables: a
// setting with a code that names no key is replaced by the first standard set
// as a whole (SanitizeCutPasteKey).
CutPasteCodes KeyCodesForDelivery(std::int64_t packed);

// Modifier virtual keys of a combination (Ctrl 1 + Shift 2 + Alt 4) in press
// order; empty for combinations outside 0..7.
std::span<const std::uint8_t> ModifierKeys(int combination);
// Virtual key of a key number (A..Z, 1..9, 0, Insert, Delete, F1..F12);
// nullopt outside 0..49.
std::optional<std::uint8_t> KeyNumberVirtualKey(int keyNumber);

// What happened to the clipboard saved by the key routines when the caller
// tried to put it back.
enum class RestoreResult {
  kNothingPending,
  kRestored,
  // Something else was put on the clipboard after the tool's last write; the
  // newer content stays and the saved state is dropped.
  kSkippedChanged,
  // The clipboard could not be opened; the saved state stays pending.
  kClipboardUnavailable,
};

class DeliveryRoutines {
 public:
  DeliveryRoutines(Clipboard& clipboard, WindowSystem& windows, Keyboard& keyboard,
                   Processes& processes);

  // Writes `before` (or before + the old selection + after, when `after` is
  // not empty) in place of the target's selection. The message routine leaves
  // the user's clipboard as it was; the key routine keeps the user's clipboard
  // pending until RestoreSavedClipboard().
  DeliveryStatus DeliverByMessages(WindowId target, const Bytes& before, const Bytes& after,
                                   std::uint32_t interval, std::int64_t keySetting);
  DeliveryStatus DeliverByKeys(WindowId target, const Bytes& before, const Bytes& after,
                               std::uint32_t interval, std::int64_t keySetting);

  // Copies (or cuts) the target's selection into `buffer`, which the caller
  // has zero-filled. At most buffer.size() - 1 bytes are written, cut on a
  // character boundary, so the text always stays zero-terminated.
  DeliveryStatus FetchSelectionByMessages(WindowId target, std::uint32_t interval,
                                          std::int64_t keySetting, bool cut,
                                          std::span<std::uint8_t> buffer);
  DeliveryStatus FetchSelectionByKeys(WindowId target, std::uint32_t interval,
                                      std::int64_t keySetting, bool cut,
                                      std::span<std::uint8_t> buffer);

  // The routine table by number: routine kDeliverBy... / kFetchSelectionBy...
  // with PasteKind added. A PasteKind other than 1 means message sending.
  DeliveryStatus Deliver(int pasteKind, WindowId target, const Bytes& before, const Bytes& after,
                         std::uint32_t interval, std::int64_t keySetting);
  DeliveryStatus Fetch(int pasteKind, WindowId target, std::uint32_t interval,
                       std::int64_t keySetting, bool cut, std::span<std::uint8_t> buffer);

  // The events of one key code: modifiers down in table order, key down and
  // up, modifiers up in reverse; scan codes looked up now. Empty when the code
  // names no key.
  std::vector<KeyEvent> KeyEventsFor(int keyCode);
  // Sends KeyEventsFor(keyCode); false (and nothing sent) for an invalid code.
  bool PressKeyCode(int keyCode);
  // WM_DESTROYCLIPBOARD to the target, then Sleep(interval), until no window
  // holds the clipboard open (at least once). Gives up (false) after
  // kClipboardWaitLimitMs so a program that never closes the clipboard does
  // not hang the caller.
  bool WaitForClipboard(WindowId target, std::uint32_t interval);
  static constexpr std::uint64_t kClipboardWaitLimitMs = 5000;

  // --- The user's clipboard saved by the key routines ---
  // Saves a snapshot of every clipboard format unless one is pending already,
  // so the first of several deliveries in a row keeps the user's own state.
  // Also used by callers that prime the clipboard themselves.
  DeliveryStatus SaveClipboardIfNone();
  bool RestorePending() const { return saved_.has_value(); }
  // True when nothing changed the clipboard since the tool's last write, so
  // putting the saved state back cannot overwrite someone else's data.
  bool RestoreIsSafe();
  // The idle step: puts the saved state back (when safe) and clears it.
  RestoreResult RestoreSavedClipboard();
  void DiscardSavedClipboard() { saved_.reset(); }
  const std::optional<ClipboardSnapshot>& SavedClipboard() const { return saved_; }

 private:
  // Reads the clipboard text for a step that may try twice.
  std::optional<Bytes> ReadTextForStep(int attempts);
  void NoteOwnWrite();
  DeliveryStatus FailedAfterOwnChange();
  // A message routine that fails after taking its local copy hands it on, so
  // the idle step can still give the user's clipboard back.
  void KeepLocalCopy(ClipboardSnapshot&& local);
  void CopyToBuffer(const Bytes& text, std::span<std::uint8_t> buffer);
  void FocusTarget(WindowId target, std::uint32_t interval, bool activeFirst);
  void SendEvents(const std::vector<KeyEvent>& events);

  Clipboard& clipboard_;
  WindowSystem& windows_;
  Keyboard& keyboard_;
  Processes& processes_;
  std::optional<ClipboardSnapshot> saved_;
  std::optional<std::uint32_t> lastWriteSequence_;
};

}  // namespace quiltor
