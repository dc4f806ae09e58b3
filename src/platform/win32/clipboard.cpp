#include "platform/win32/clipboard.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "platform/win32/clipboard_data.h"
#include "platform/win32/clipboard_owner.h"
#include "platform/win32/clipboard_reader.h"
#include "platform/win32/handles.h"

namespace quiltor {
namespace {

constexpr UINT kJapaneseCodePage = 932;

std::wstring ToUtf16(const Bytes& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kJapaneseCodePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(kJapaneseCodePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

}  // namespace

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

bool Win32Clipboard::PutForPaste(const Bytes& text, std::uint32_t reader) {
  OwnedSession session(*this);
  return session.Emptied() && FillPasteText(text, reader);
}

PutResult Win32Clipboard::PutForPasteIfUnchanged(const Bytes& text, std::uint32_t reader, std::uint32_t sequence) {
  OwnedSession session(*this, sequence);
  if (session.Changed()) return PutResult::kChanged;
  if (!session.Emptied() || !FillPasteText(text, reader)) return PutResult::kUnavailable;
  return PutResult::kPut;
}

bool Win32Clipboard::FillPasteText(const Bytes& text, std::uint32_t reader) {
  ClipboardOwner& owner = *owner_;
  owner.Hold(text, ToUtf16(text), reader, owner.Window() != nullptr);
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

bool Win32Clipboard::HasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

std::optional<Bytes> Win32Clipboard::GetText() {
  snapshots_.SettleAbandoned();
  ClipboardSession session(nullptr, kClipboardOpenRetryMs);
  if (!session.IsOpen()) return std::nullopt;
  HANDLE handle = GetClipboardData(CF_TEXT);
  if (!handle) return Bytes();
  GlobalLockScope lock(handle);
  const auto* data = static_cast<const char*>(lock.Data());
  if (!data) return Bytes();
  const std::size_t size = GlobalSize(handle);
  const void* end = std::memchr(data, 0, size);
  const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - data) : size;
  return Bytes(data, length);
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
    if (!entry.name.empty()) format = RegisterClipboardFormatA(entry.name.c_str());
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
