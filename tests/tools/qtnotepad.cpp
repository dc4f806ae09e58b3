// Test helper for the end-to-end tests: puts text into Wine's notepad and
// reads it back, and sets or reads the clipboard text, as a user's editor
// and clipboard would hold them. Texts are ASCII on the command line;
// output is the raw CP932 bytes between brackets.
//   qtnotepad set <text> <selStart> <selEnd>   ("\n" in text = CR LF)
//   qtnotepad get                               -> text [..] / sel a b
//   qtnotepad edit                              -> edit <hwnd> top <hwnd>
//   qtnotepad clipset <text> | clipget
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND FindEdit(HWND* top) {
  for (int i = 0; i < 100; ++i) {
    HWND main = FindWindowA("Notepad", nullptr);
    if (main) {
      HWND edit = FindWindowExA(main, nullptr, "Edit", nullptr);
      if (edit) {
        if (top) *top = main;
        return edit;
      }
    }
    Sleep(100);
  }
  return nullptr;
}

std::string Unescape(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      out += "\r\n";
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

void PrintBytes(const char* label, const std::string& text) {
  std::printf("%s [", label);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::printf("]\n");
}

bool SetClipboard(const std::string& text) {
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
      bool ok = false;
      if (memory) {
        if (void* p = GlobalLock(memory)) {
          std::memcpy(p, text.c_str(), text.size() + 1);
          GlobalUnlock(memory);
          ok = SetClipboardData(CF_TEXT, memory) != nullptr;
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

std::string GetClipboard() {
  std::string text;
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
          text = p;
          GlobalUnlock(data);
        }
      }
      CloseClipboard();
      return text;
    }
    Sleep(50);
  }
  return "<unavailable>";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  // Bytes out as they are: the text's own CR LF must not become CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::string verb = argv[1];
  if (verb == "clipset" && argc > 2) return SetClipboard(Unescape(argv[2])) ? 0 : 1;
  if (verb == "clipget") {
    PrintBytes("clip", GetClipboard());
    return 0;
  }
  HWND top = nullptr;
  HWND edit = FindEdit(&top);
  if (!edit) {
    std::printf("noeditor\n");
    return 1;
  }
  if (verb == "set" && argc > 4) {
    std::string text = Unescape(argv[2]);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, EM_SETSEL, std::atoi(argv[3]), std::atoi(argv[4]));
    return 0;
  }
  if (verb == "get") {
    int length = static_cast<int>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = static_cast<int>(SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    PrintBytes("text", text);
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::printf("sel %lu %lu\n", start, end);
    return 0;
  }
  if (verb == "edit") {
    std::printf("edit %llu top %llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(edit)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)));
    return 0;
  }
  return 2;
}
