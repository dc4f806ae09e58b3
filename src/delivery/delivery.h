#pragma once
// Writes text into another program's edit window and fetches its selection,
// through the clipboard: either by clipboard messages or by the editor's own
// cut/copy/paste key strokes.
//
// Every call into Windows that can be refused is checked, and a refusal ends
// the routine with a status the caller shows; the user's clipboard comes back
// whatever happened. No routine waits without a limit: messages to the
// target give up on a thread that does not answer, and waits for the
// clipboard end after a bounded time.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "delivery/edit_control.h"
#include "platform/clipboard.h"
#include "platform/integrity.h"
#include "platform/keyboard.h"
#include "platform/processes.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "settings/key_codes.h"

namespace quiltor {

// What a routine did; the window shows anything but kOk (see
// ui/delivery_messages.h for the texts).
enum class DeliveryStatus {
  kOk,
  // The clipboard could not be opened, or stayed held by another program.
  kClipboardUnavailable,
  // The target did not become the foreground window with the keyboard focus
  // (Windows' foreground rules): no key was sent.
  kFocusRefused,
  // The system inserted fewer key events than the tool gave it.
  kInputRefused,
  // The target's thread did not answer in time.
  kTargetHung,
  // Windows refused the tool's messages to the target: a process it
  // protects from the tool (for instance one running as administrator).
  kTargetProtected,
  // The target runs at a higher integrity level than the tool (an editor
  // started as administrator): Windows would drop the keys without a word,
  // so none were sent.
  kTargetElevated,
  // The target window does not exist (any more).
  kTargetGone,
  // The window said something was selected, but its cut or copy keys left
  // the clipboard unchanged: nothing was written.
  kCutProducedNothing,
  // The editor cut its selection after the tool had taken it that nothing
  // was selected: what it cut stays on the clipboard, and the user's earlier
  // clipboard could not come back.
  kLateCutOnClipboard,
  // The target handled the paste but never asked for the text.
  kTextNotTaken,
  // The write was done, but formats of the user's clipboard could not be kept
  // or put back (LostFormats() names them); the others are back.
  kFormatsNotKept,
  kFormatsNotRestored,
  // The selection holds characters code page 932 lacks, which a module's
  // buffer cannot carry: nothing was handed on (a cut selection was put
  // back into the target).
  kSelectionNotAnsi,
};

// PasteKind values.
inline constexpr int kPasteByMessages = 0;
inline constexpr int kPasteByKeys = 1;

// Where the caret goes after a before and an after text were written into
// an empty selection: after both, or between them, so the user can type
// into the pair at once.
enum class CaretPlacement {
  kAfterText,
  kBetween,
};

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
  // Back, except the formats LostFormats() names.
  kPartlyRestored,
  // Another program replaced the clipboard after the tool's last write; the
  // newer content stays and the saved state is dropped.
  kSkippedChanged,
  // The target cut late what a key routine took for an empty selection: its
  // cut text stays on the clipboard (or came back there) instead of the
  // saved state, which is dropped.
  kLateCutKept,
  // The clipboard could not be opened; the saved state stays pending.
  kClipboardUnavailable,
};

class DeliveryRoutines {
 public:
  // A message the target's thread has not answered by then counts as hung.
  static constexpr std::uint32_t kAnswerTimeoutMs = 2000;
  // Time the target may take to show as the foreground window with the focus
  // after the tool focused it.
  static constexpr std::uint32_t kFocusWaitMs = 250;
  // A cut or copy by keys from a window that cannot say whether anything is
  // selected is waited for at least this long (and at least the paste
  // interval) before the tool takes it that nothing was.
  static constexpr std::uint32_t kCutWaitMs = 300;
  // A window that said something is selected gets this long to cut it.
  static constexpr std::uint32_t kSelectedCutWaitMs = 2000;
  // After a write into an empty selection, the paste is waited for this long
  // before the caret is put between the texts; a later paste leaves it.
  static constexpr std::uint32_t kCaretWaitMs = 1000;
  // A program that keeps the clipboard open longer ends the wait.
  static constexpr std::uint64_t kClipboardWaitLimitMs = 5000;
  static constexpr std::uint32_t kPollMs = 5;
  // The start-up paste into the tool's own hidden edit.
  static constexpr std::uint32_t kPrimeWaitMs = 500;

  // Without `integrity` keys are sent without asking the target's level.
  DeliveryRoutines(Clipboard& clipboard, WindowSystem& windows, Keyboard& keyboard,
                   Processes& processes, IntegrityLevels* integrity = nullptr);

  // Writes `before` (or before + the old selection + after, when `after` is
  // not empty) in place of the target's selection. The message routine leaves
  // the user's clipboard as it was; the key routine keeps the user's clipboard
  // pending until RestoreSavedClipboard().
  //
  // The key routine asks the window with the keyboard focus whether anything
  // is selected, where it can say (AskSelection): with nothing selected it
  // pastes at once, without cut keys and without waiting for a cut. A window
  // that cannot say gets the cut keys, and a cut that does not come within
  // the wait is taken for an empty selection; one that comes before the text
  // is put is still wrapped, and one that comes after it stays on the
  // clipboard for the user (kLateCutKept at the restore).
  //
  // With kBetween, a write of an after text into an empty selection puts the
  // caret after the before text: by EM_SETSEL where the window gives its
  // positions, else (key routine only) by Left-arrow keys.
  DeliveryStatus DeliverByMessages(WindowId target, const Bytes& before, const Bytes& after,
                                   std::uint32_t interval, std::int64_t keySetting,
                                   CaretPlacement caret = CaretPlacement::kAfterText);
  DeliveryStatus DeliverByKeys(WindowId target, const Bytes& before, const Bytes& after,
                               std::uint32_t interval, std::int64_t keySetting,
                               CaretPlacement caret = CaretPlacement::kAfterText);

  // Copies (or cuts) the target's selection into `buffer`, which the caller
  // has zero-filled. At most buffer.size() - 1 bytes are written, cut on a
  // character boundary, so the text always stays zero-terminated. An empty
  // selection leaves the buffer empty; the key routine finds it as the write
  // does. A selection code page 932 cannot hold ends with kSelectionNotAnsi.
  DeliveryStatus FetchSelectionByMessages(WindowId target, std::uint32_t interval,
                                          std::int64_t keySetting, bool cut,
                                          std::span<std::uint8_t> buffer);
  DeliveryStatus FetchSelectionByKeys(WindowId target, std::uint32_t interval,
                                      std::int64_t keySetting, bool cut,
                                      std::span<std::uint8_t> buffer);

  // The routine table by number: routine kDeliverBy... / kFetchSelectionBy...
  // with PasteKind added. A PasteKind other than 1 means message sending.
  DeliveryStatus Deliver(int pasteKind, WindowId target, const Bytes& before, const Bytes& after,
                         std::uint32_t interval, std::int64_t keySetting,
                         CaretPlacement caret = CaretPlacement::kAfterText);
  DeliveryStatus Fetch(int pasteKind, WindowId target, std::uint32_t interval,
                       std::int64_t keySetting, bool cut, std::span<std::uint8_t> buffer);

  // The start-up priming: one Ctrl+V into the tool's own hidden edit with the
  // clipboard emptied, sent only when `mainWindow` is in front with the focus
  // on `focusHolder`. Every format of the user's clipboard is put back
  // whatever happened (or kept pending when the clipboard cannot be opened).
  DeliveryStatus PrimeClipboard(WindowId mainWindow, WindowId focusHolder);

  // The events of one key code: modifiers down in table order, key down and
  // up, modifiers up in reverse; scan codes looked up now. Empty when the code
  // names no key.
  std::vector<KeyEvent> KeyEventsFor(int keyCode);
  // Sends KeyEventsFor(keyCode); false for an invalid code (nothing sent) or
  // when the system refused the events.
  bool PressKeyCode(int keyCode);
  // WM_DESTROYCLIPBOARD to the target, then Sleep(interval), until no window
  // holds the clipboard open (at least once). Ends with kClipboardUnavailable
  // after kClipboardWaitLimitMs, and at once when the target does not answer.
  DeliveryStatus WaitForClipboard(WindowId target, std::uint32_t interval);

  // --- The user's clipboard saved by the key routines ---
  // Saves a snapshot of the clipboard unless one is pending already while the
  // clipboard still holds what the tool put there (so the first of several
  // deliveries in a row keeps the user's own state); a pending snapshot
  // whose clipboard another program has replaced since is taken anew.
  DeliveryStatus SaveClipboardIfNone();
  bool RestorePending() const { return saved_.has_value(); }
  // True when the clipboard holds what the tool put there, or the data the
  // target cut or copied at the tool's request, so putting the saved state
  // back cannot overwrite someone else's data.
  bool RestoreIsSafe();
  // The idle step: puts the saved state back (when safe) and clears it.
  RestoreResult RestoreSavedClipboard();
  void DiscardSavedClipboard();
  const std::optional<ClipboardSnapshot>& SavedClipboard() const { return saved_; }
  // The formats of the user's clipboard the last routine or restore could not
  // keep or put back.
  const std::vector<ClipboardFormatName>& LostFormats() const { return lost_; }
  // When a key write put out its text for the paste, while the user's
  // clipboard waits to come back; nullopt otherwise.
  std::optional<std::uint64_t> PasteWrittenAt() const { return pasteWrittenAt_; }

 private:
  DeliveryStatus Reach(WindowId target);
  DeliveryStatus SendToTarget(WindowId target, std::uint32_t message);
  DeliveryStatus FocusTarget(WindowId target, std::uint32_t interval, bool activeFirst);
  bool KeysReach(WindowId target);
  // The target runs above the tool's integrity level.
  bool KeysWouldBeDropped(WindowId target);
  bool KeysReachWithin(WindowId target, std::uint32_t milliseconds);
  // After the cut or copy keys: waits for the clipboard to change (at least
  // `interval`, at most max(interval, patience)) and then to be closed.
  DeliveryStatus AwaitCut(WindowId target, std::uint32_t interval, std::uint32_t patience,
                          std::uint32_t sequenceBefore, bool& changed);
  // The window the keys reach: the target's focus, or the target itself.
  WindowId KeysWindow(WindowId target);
  // After the cut keys for a write: puts the text for the paste into
  // `result` (before + the cut selection + after) and on the clipboard. A
  // cut that never came is taken for an empty selection (`intoEmpty`), but
  // the text goes on the clipboard only while it is still as the tool
  // emptied it; a cut that came in between is wrapped after all.
  DeliveryStatus PutAfterCut(WindowId target, const Bytes& before, const Bytes& after, std::uint32_t interval,
                             bool arrived, std::uint32_t emptied, bool& intoEmpty);
  // After a write of `before` + `after` into an empty selection of
  // `control`: the caret goes between them.
  DeliveryStatus PlaceCaret(WindowId target, WindowId control, const SelectionAnswer& selection,
                            const Bytes& before, const Bytes& after, bool byKeys);
  // Waits for the paste to move the caret and sets it back by the after
  // text's positions. nullopt: the caret moved in a way the window's
  // positions do not explain; kOk also when the paste was not seen in time
  // (the caret is left alone then).
  std::optional<DeliveryStatus> PlaceCaretByPositions(WindowId control, const SelectionAnswer& selection,
                                                      const Bytes& before, const Bytes& after);
  // Left-arrow keys, once the target has read the pasted text.
  DeliveryStatus PlaceCaretByKeys(WindowId target, const Bytes& after);
  // The target's cut or copy came later than the wait, and is what the
  // clipboard holds now.
  bool LateCutOnClipboard();
  bool ClipboardChangedSince(std::uint32_t sequence);
  // Reads the clipboard text for a step that may try twice.
  std::optional<ClipboardText> ReadTextForStep(int attempts);
  bool PutPasteText(const PasteText& text, WindowId target);
  // False when the selection has no code page 932 form (nothing copied).
  bool CopyToBuffer(const ClipboardText& text, std::span<std::uint8_t> buffer);
  // What the target cut or copied at the tool's request may be replaced by
  // the user's state later.
  void AdoptCurrentContent();
  void Drop();
  void NoteLost(const std::vector<ClipboardFormatName>& formats);
  // Ends a key routine that changed the clipboard: the saved state goes back
  // now (or stays pending when the clipboard cannot be opened).
  DeliveryStatus GiveBack(DeliveryStatus status);
  // Ends a message routine with its local copy: put back now, or kept pending.
  DeliveryStatus RestoreLocal(ClipboardSnapshot&& local, DeliveryStatus status);
  DeliveryStatus KeepLocal(ClipboardSnapshot&& local, DeliveryStatus status);
  DeliveryStatus Finish() const;
  // What the clipboard holds now: the state the tool put back last while the
  // clipboard still holds exactly that (nobody has emptied it or added to it
  // since), else a fresh snapshot. Reading back its own content would only
  // cost time, and under Wine memory on every write.
  std::optional<ClipboardSnapshot> TakeSnapshot();
  // A routine that gives the user's clipboard back itself: the snapshot, with
  // the clipboard emptied; nullopt when it could not be had or emptied.
  std::optional<ClipboardSnapshot> TakeLocalAndEmpty();
  // Every putting back of a saved state goes through here, so TakeSnapshot
  // knows what is there. Once the clipboard could be opened the caller is
  // done with `snapshot`: its formats move into the kept state when all of
  // them went back.
  RestoreOutcome PutBack(ClipboardSnapshot& snapshot);
  void PollSleep(std::uint32_t interval, bool first);

  Clipboard& clipboard_;
  WindowSystem& windows_;
  Keyboard& keyboard_;
  Processes& processes_;
  IntegrityLevels* integrity_;
  std::optional<ClipboardSnapshot> saved_;
  std::optional<std::uint32_t> adoptedSequence_;
  std::optional<std::uint64_t> pasteWrittenAt_;
  // The process of a target whose cut keys were taken for an empty
  // selection when nothing came: its cut may still arrive.
  std::optional<std::uint32_t> lateCutFrom_;
  // A late cut of the target became the state that comes back at the
  // restore (it arrived before a second routine saved the clipboard).
  bool lateCutSaved_ = false;
  std::vector<ClipboardFormatName> lost_;
  std::optional<ClipboardSnapshot> putBack_;
  std::uint32_t putBackSequence_ = 0;
};

}  // namespace quiltor
