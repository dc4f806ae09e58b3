#pragma once
// The tool's clipboard window: a message-only window on a thread of its own,
// through which everything the tool puts on the clipboard goes in. Its
// WM_DESTROYCLIPBOARD tells when another program replaced the content, and it
// renders a text for one paste on demand, noting which process asked; a
// reader gets the text at once even while the tool's own thread sleeps in a
// delivery's waits.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "platform/clipboard.h"
#include "platform/win32/handles.h"

namespace quiltor {

class ClipboardOwner {
 public:
  ClipboardOwner() = default;
  // Closing the window renders a text still held (WM_RENDERALLFORMATS).
  ~ClipboardOwner();
  ClipboardOwner(const ClipboardOwner&) = delete;
  ClipboardOwner& operator=(const ClipboardOwner&) = delete;

  // Starts the thread and its window once; false when that failed (then the
  // tool opens the clipboard without a window).
  bool Ensure();
  HWND Window() const { return window_; }

  // The text for the next paste by a window of process `reader`, handed out
  // on demand from now on (`held`), or put at once by Render.
  void Hold(const Bytes& text, const std::wstring& wide, DWORD reader, bool held);
  void SetHeld(bool held);
  // Puts one format of the held text while the clipboard is open.
  bool Render(UINT format);
  // The tool has just emptied the clipboard: it owns it, with nothing held.
  void NoteOwnContent();
  bool Owned() const { return owned_; }
  void SetRead(PasteRead read) { read_ = static_cast<int>(read); }
  PasteRead Read() const { return static_cast<PasteRead>(read_.load()); }

 private:
  void NoteReader();
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static DWORD WINAPI ThreadMain(LPVOID parameter);

  HWND window_ = nullptr;
  KernelHandle thread_;
  std::mutex lock_;
  // The text for one paste, guarded by `lock_`.
  Bytes text_;
  std::wstring wide_;
  DWORD reader_ = 0;
  bool held_ = false;  // the clipboard still announces `text_`
  std::atomic<int> read_{static_cast<int>(PasteRead::kUnknown)};
  // Set after each of the tool's writes, cleared when another program empties
  // the clipboard (WM_DESTROYCLIPBOARD, sent before that program's call returns).
  std::atomic<bool> owned_{false};
};

}  // namespace quiltor
