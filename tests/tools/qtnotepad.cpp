// Test helper for the end-to-end tests: puts text into Wine's notepad and
// reads it back, and sets or reads the clipboard text, as a user's editor
// and clipboard would hold them. Texts travel as Windows holds them
// (UTF-16): UTF-8 on the command line and in the output, whatever language
// Windows is set to, so a text with characters of no code page (an emoji,
// Hangul) arrives whole. Selection positions count UTF-16 units.
//   qtnotepad set <text> <selStart> <selEnd>   ("\n" in text = CR LF)
//   qtnotepad get                               -> text [..] / sel a b
//   qtnotepad edit                              -> edit <hwnd> top <hwnd>
//   qtnotepad clipset <text> | clipget
//   qtnotepad foreground                        -> foreground [<class>] / rect <x> <y> <w> <h>
//                                                  / focus [<class>]
//     (the window Windows holds in front, where a user's click has landed,
//     and the window of its thread that has the keyboard focus)
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/test_window.h"

using namespace quiltor::testwin;

namespace {

HWND FindEdit(HWND* top) {
  for (int i = 0; i < 100; ++i) {
    HWND main = FindWindowW(L"Notepad", nullptr);
    if (main) {
      HWND edit = FindWindowExW(main, nullptr, L"Edit", nullptr);
      if (edit) {
        if (top) *top = main;
        return edit;
      }
    }
    Sleep(100);
  }
  return nullptr;
}

void Print(const char* label, const std::wstring& text) { PrintBracketed(label, quiltor::ToUtf8(text)); }

bool SetClipboard(const std::wstring& text) {
  const quiltor::ClipboardSession clipboard(nullptr, 2500);
  if (!clipboard.IsOpen()) return false;
  EmptyClipboard();
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  quiltor::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  {
    const quiltor::GlobalLockScope lock(memory.Get());
    if (!lock.Data()) return false;
    std::memcpy(lock.Data(), text.c_str(), size);
  }
  if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
  memory.Release();  // the clipboard's now
  return true;
}

std::wstring GetClipboard() {
  const quiltor::ClipboardSession clipboard(nullptr, 2500);
  if (!clipboard.IsOpen()) return L"<unavailable>";
  const quiltor::GlobalLockScope lock(GetClipboardData(CF_UNICODETEXT));
  return lock.Data() ? static_cast<const wchar_t*>(lock.Data()) : L"";
}

}  // namespace

int main() {
  const Arguments args;
  if (args.Count() < 2) return 2;
  BinaryOutput();
  if (args.Is(1, L"clipset") && args.Count() > 2) return SetClipboard(Unescape(args[2])) ? 0 : 1;
  if (args.Is(1, L"clipget")) {
    Print("clip", GetClipboard());
    return 0;
  }
  if (args.Is(1, L"foreground")) {
    HWND front = GetForegroundWindow();
    wchar_t name[256] = L"-";
    RECT r{};
    if (front) {
      GetClassNameW(front, name, 256);
      GetWindowRect(front, &r);
    }
    Print("foreground", name);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    // Where its keys go: the window a click inside it gave the focus.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    wchar_t focus[256] = L"-";
    if (front && GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info) && info.hwndFocus) {
      GetClassNameW(info.hwndFocus, focus, 256);
    }
    Print("focus", focus);
    return 0;
  }
  HWND top = nullptr;
  HWND edit = FindEdit(&top);
  if (!edit) {
    std::printf("noeditor\n");
    return 1;
  }
  if (args.Is(1, L"set") && args.Count() > 4) {
    const std::wstring text = Unescape(args[2]);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(args.Number(3, 0)), args.Number(4, 0));
    return 0;
  }
  if (args.Is(1, L"get")) {
    Print("text", WindowText(edit));
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::printf("sel %lu %lu\n", start, end);
    return 0;
  }
  if (args.Is(1, L"edit")) {
    std::printf("edit %llu top %llu\n", HandleNumber(edit), HandleNumber(top));
    return 0;
  }
  return 2;
}
