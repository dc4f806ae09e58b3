#include "platform/win32/clipboard.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "platform/win32/clipboard_data.h"
#include "platform/win32/clipboard_owner.h"
#include "platform/win32/clipboard_reader.h"
#include "platform/win32/handles.h"
#include "platform/win32/text_codec.h"

namespace quiltor {

class Win32Clipboard::OwnedSession {
 public:
  // With `onlyAt`, the clipboard is emptied only while its sequence number is
  // still that one; nobody can change it while the tool holds it open.
  explicit OwnedSession(Win32Clipboard& clipboard, std::optional<std::uint32_t> onlyAt = std::nullopt)
      : clipboard_(clipboard) {
    clipboard.snapshots_.SettleAbandoned();
    ClipboardOwner& owner = *clipboard.owner_;
    owner.Ensure();
    session_.emplace(owner.Window(), kClipboardOpenRetryMs);
    if (session_->IsOpen() && onlyAt && GetClipboardSequenceNumber() != *onlyAt) {
      changed_ = true;
      return;
    }
    if (session_->IsOpen() && EmptyClipboard()) {
      emptied_ = true;
      owner.NoteOwnContent();
    }
  }
  ~OwnedSession() {
    session_.reset();
    // Without an owner window the sequence number after the close stands in.
    if (emptied_ && !clipboard_.owner_->Window()) clipboard_.ownSequence_ = GetClipboardSequenceNumber();
  }
  OwnedSession(const OwnedSession&) = delete;
  OwnedSession& operator=(const OwnedSession&) = delete;
  bool Emptied() const { return emptied_; }
  bool Changed() const { return changed_; }

 private:
  Win32Clipboard& clipboard_;
  std::optional<ClipboardSession> session_;
  bool emptied_ = false;
  bool changed_ = false;
};

Win32Clipboard::Win32Clipboard()
    : owner_(std::make_unique<ClipboardOwner>()),
      snapshots_(std::make_shared<Win32ClipboardReader>(), kSnapshotLimits) {}

Win32Clipboard::~Win32Clipboard() = default;

bool Win32Clipboard::HoldsOwnContent() {
  const ClipboardOwner& owner = *owner_;
  if (owner.Window()) return owner.Owned() && GetClipboardOwner() == owner.Window();
  return ownSequence_ != 0 && GetClipboardSequenceNumber() == ownSequence_;
}

bool Win32Clipboard::PutForPaste(const PasteText& text, std::uint32_t reader) {
  OwnedSession session(*this);
  return session.Emptied() && FillPasteText(text, reader);
}

PutResult Win32Clipboard::PutForPasteIfUnchanged(const PasteText& text, std::uint32_t reader,
                                                 std::uint32_t sequence) {
  OwnedSession session(*this, sequence);
  if (session.Changed()) return PutResult::kChanged;
  if (!session.Emptied() || !FillPasteText(text, reader)) return PutResult::kUnavailable;
  return PutResult::kPut;
}

bool Win32Clipboard::FillPasteText(const PasteText& text, std::uint32_t reader) {
  // The selection stays as the editor gave it; only the tool's own texts
  // are converted. CF_TEXT beside it serves programs that read only that.
  std::wstring wide = FromAnsi(text.before);
  wide.append(text.selection.units.begin(), text.selection.units.end());
  wide += FromAnsi(text.after);
  ClipboardOwner& owner = *owner_;
  owner.Hold(ToAnsiForDisplay(wide), wide, reader, owner.Window() != nullptr);
  bool announced = false;
  if (owner.Window()) {
    owner.SetRead(PasteRead::kNotRead);
    SetClipboardData(CF_UNICODETEXT, nullptr);
    SetClipboardData(CF_TEXT, nullptr);
    SetClipboardData(CF_LOCALE, nullptr);
    announced = IsClipboardFormatAvailable(CF_TEXT) && IsClipboardFormatAvailable(CF_UNICODETEXT);
  }
  if (!announced) {
    // Put at once: nobody can tell when it is read.
    owner.SetHeld(true);
    const bool put = owner.Render(CF_UNICODETEXT) && owner.Render(CF_TEXT) && owner.Render(CF_LOCALE);
    owner.SetHeld(false);
    owner.SetRead(PasteRead::kUnknown);
    if (!put) return false;
  }
  PutToolMarkers();
  return true;
}

PasteRead Win32Clipboard::PasteTextRead() { return owner_->Read(); }

bool Win32Clipboard::HasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }

// As CF_UNICODETEXT: the system makes it from a CF_TEXT with the locale its
// writer put beside it, while a CF_TEXT made from an editor's Unicode would
// follow the keyboard layout's code page and lose what that code page lacks.
std::optional<ClipboardText> Win32Clipboard::GetText() {
  snapshots_.SettleAbandoned();
  ClipboardSession session(nullptr, kClipboardOpenRetryMs);
  if (!session.IsOpen()) return std::nullopt;
  ClipboardText text{{}, Bytes()};
  HANDLE handle = GetClipboardData(CF_UNICODETEXT);
  if (!handle) return text;
  GlobalLockScope lock(handle);
  const auto* data = static_cast<const char16_t*>(lock.Data());
  if (!data) return text;
  const std::size_t units = GlobalSize(handle) / sizeof(char16_t);
  std::size_t length = 0;
  while (length < units && data[length] != u'\0') ++length;
  text.units.assign(data, length);
  text.ansi = ToAnsiExact(std::wstring_view(reinterpret_cast<const wchar_t*>(data), length));
  return text;
}

bool Win32Clipboard::Empty() {
  OwnedSession session(*this);
  return session.Emptied();
}

bool Win32Clipboard::IsHeldOpen() { return GetOpenClipboardWindow() != nullptr; }

std::optional<ClipboardSnapshot> Win32Clipboard::Snapshot() { return snapshots_.Take(); }

RestoreOutcome Win32Clipboard::Restore(const ClipboardSnapshot& snapshot) {
  RestoreOutcome outcome;
  OwnedSession session(*this);
  if (!session.Emptied()) return outcome;
  outcome.opened = true;
  for (const ClipboardSnapshot::Format& entry : snapshot.formats) {
    UINT format = entry.id;
    if (!entry.name.empty()) format = RegisterClipboardFormatW(FromAnsi(entry.name).c_str());
    const bool put = format != 0 && (format == CF_ENHMETAFILE ? PutEnhancedMetafile(entry.data)
                                                               : PutClipboardBytes(format, entry.data.data(), entry.data.size()));
    if (!put) outcome.notRestored.push_back(ClipboardFormatName{entry.id, entry.name});
  }
  if (!snapshot.formats.empty()) PutToolMarkers();
  return outcome;
}

std::uint32_t Win32Clipboard::SequenceNumber() { return GetClipboardSequenceNumber(); }

std::uint32_t Win32Clipboard::OwnerProcess() {
  DWORD process = 0;
  if (HWND owner = GetClipboardOwner()) GetWindowThreadProcessId(owner, &process);
  return process;
}

}  // namespace quiltor
