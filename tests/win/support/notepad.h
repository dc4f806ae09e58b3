#pragma once
// Helpers for Win32 tests that drive a real editor (Wine's notepad): start it,
// find its windows, set and read its text and selection, and look at the
// clipboard directly.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quiltor::wintest {

// A notepad process of its own; closed (and killed if need be) when destroyed.
class Notepad {
 public:
  Notepad();
  ~Notepad();
  Notepad(const Notepad&) = delete;
  Notepad& operator=(const Notepad&) = delete;

  bool Ready() const { return edit_ != nullptr; }
  HWND Top() const { return top_; }
  HWND Edit() const { return edit_; }
  DWORD ProcessId() const { return info_.dwProcessId; }

  void SetText(const std::string& text);  // CP932 bytes
  std::string Text() const;
  void Select(int start, int end);
  // Empties the undo buffer and marks the text unchanged so closing asks nothing.
  void MarkSaved();

 private:
  PROCESS_INFORMATION info_ = {};
  HWND top_ = nullptr;
  HWND edit_ = nullptr;
};

// Finds the first top window of `process` with class `topClass` (waits up to
// `milliseconds`).
HWND FindTopWindowOf(DWORD process, const char* topClass, DWORD milliseconds);
HWND FindChildOfClass(HWND parent, const char* className);

// Raw clipboard access for checks, independent of the code under test.
struct RawFormat {
  UINT id = 0;
  std::string data;
};
bool PutClipboard(const std::vector<RawFormat>& formats);
std::vector<UINT> ClipboardFormats();
// Bytes of a format's global block; empty when absent.
std::string ClipboardData(UINT format);
std::string ClipboardText();  // CF_TEXT up to its terminator
// A small 24-bit DIB (BITMAPINFOHEADER + pixels) of w x h with a pattern.
std::string MakeDib(int width, int height);

// Keeps the message queue of the test thread alive (pumps pending messages).
void PumpMessages();

}  // namespace quiltor::wintest
