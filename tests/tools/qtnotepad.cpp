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
//   qtnotepad foreground                        -> foreground <class> <x> <y> <w> <h>
//     (the window Windows holds in front: where a user's click has landed)
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

std::wstring Unescape(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
      out += L"\r\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void Print(const char* label, const std::wstring& text) {
  const std::string bytes = Utf8(text);
  std::printf("%s [", label);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::printf("]\n");
}

bool SetClipboard(const std::wstring& text) {
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
      bool ok = false;
      if (memory) {
        if (void* p = GlobalLock(memory)) {
          std::memcpy(p, text.c_str(), size);
          GlobalUnlock(memory);
          ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        }
        if (!ok) GlobalFree(memory);
      }
      CloseClipboard();
      return ok;
    }
    Sleep(50);
  }
  return false;
}

std::wstring GetClipboard() {
  std::wstring text;
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) {
          text = p;
          GlobalUnlock(data);
        }
      }
      CloseClipboard();
      return text;
    }
    Sleep(50);
  }
  return L"<unavailable>";
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  // Bytes out as they are: the text's own CR LF must not become CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::wstring verb = argv[1];
  if (verb == L"clipset" && argc > 2) return SetClipboard(Unescape(argv[2])) ? 0 : 1;
  if (verb == L"clipget") {
    Print("clip", GetClipboard());
    return 0;
  }
  if (verb == L"foreground") {
    HWND front = GetForegroundWindow();
    wchar_t name[256] = L"-";
    RECT r{};
    if (front) {
      GetClassNameW(front, name, 256);
      GetWindowRect(front, &r);
    }
    Print("foreground", name);
    std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  HWND top = nullptr;
  HWND edit = FindEdit(&top);
  if (!edit) {
    std::printf("noeditor\n");
    return 1;
  }
  if (verb == L"set" && argc > 4) {
    const std::wstring text = Unescape(argv[2]);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, EM_SETSEL, _wtoi(argv[3]), _wtoi(argv[4]));
    return 0;
  }
  if (verb == L"get") {
    const int length = static_cast<int>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got =
        static_cast<int>(SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    Print("text", text);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::printf("sel %lu %lu\n", start, end);
    return 0;
  }
  if (verb == L"edit") {
    std::printf("edit %llu top %llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(edit)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)));
    return 0;
  }
  return 2;
}
