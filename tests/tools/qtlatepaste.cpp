// Test helper: an editor that handles its paste key late. Its edit control
// takes Ctrl+C at once, but Ctrl+V (and Shift+Insert) only start a timer;
// the paste itself happens when the timer fires, the way a busy editor gets
// to the keys some time after they were typed. WM_PASTE sent directly is
// handled at once. Top window class "QtLatePaste".
//   qtlatepaste [pasteDelay [cutDelay [control]]]   milliseconds; defaults 300 and 0
// With a cut delay, Ctrl+X (and Shift+Delete) is handled late the same way.
// The control is "edit" (the standard edit control, class "Edit"), "rich" (a
// rich edit control, "RichEdit20W") or "own" (an edit control under a class
// of its own, "QtLateEdit", which the tool does not ask about its selection).
// A sent kStopAnswering message (wparam = milliseconds) makes the editor
// stop handling messages for that long, as a hung program does.
// Verbs for scripts, acting on the running editor (texts in code page 932):
//   qtlatepaste stop <ms>   sends it kStopAnswering; returns once it hangs
//   qtlatepaste get         prints "text [<its text>]" and "sel <start> <end>"
//   qtlatepaste set <text> <start> <end>   its text ("\n" = CR LF) and selection
// The window title tells whether the paste key came and what the paste
// found; after each paste it ends with "at <QueryPerformanceCounter>", the
// moment the paste had read the clipboard.
#include <cstdio>
#include <cwchar>
#include <string>

#include "tools/test_window.h"

using namespace quiltor::testwin;

namespace {

constexpr UINT_PTR kPasteTimer = 1;
constexpr UINT_PTR kCutTimer = 2;

// "own": the edit control's class under another name.
bool RegisterOwnEditClass() {
  WNDCLASSEXW own = {};
  own.cbSize = sizeof own;
  if (!GetClassInfoExW(nullptr, L"Edit", &own)) return false;
  own.hInstance = GetModuleHandleW(nullptr);
  own.lpszClassName = L"QtLateEdit";
  return RegisterClassExW(&own) != 0;
}

class LatePaste : public EditorWindow {
 public:
  LatePaste(UINT pasteDelay, UINT cutDelay, const wchar_t* control)
      : EditorWindow({.topClass = L"QtLatePaste", .title = L"Late paste", .place = {200, 200, 320, 240},
                      .editClass = control, .editMessages = true}),
        pasteDelay_(pasteDelay),
        cutDelay_(cutDelay) {}

 private:
  LRESULT PasteNow() {
    // The title tells a test what the paste found, when the text is not what it expected.
    const HWND opener = GetOpenClipboardWindow();
    const BOOL text = IsClipboardFormatAvailable(CF_TEXT);
    const LRESULT result = EditDefault(WM_PASTE, 0, 0);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    wchar_t state[128];
    std::swprintf(state, 128, L"pasted; clipboard open by %p, text %d at %lld", static_cast<void*>(opener), text,
                  static_cast<long long>(now.QuadPart));
    SetWindowTextW(Top(), state);
    return result;
  }

  // Starts the timer of a late key, the title telling the key came.
  void Later(UINT_PTR timer, UINT delay, const wchar_t* title) {
    SetWindowTextW(Top(), title);
    SetTimer(Edit(), timer, delay, nullptr);
  }

  bool EditMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    result = 0;
    if (message == WM_KEYDOWN) {
      const bool ctrl = GetKeyState(VK_CONTROL) < 0;
      const bool shift = GetKeyState(VK_SHIFT) < 0;
      if ((ctrl && wparam == 'V') || (shift && wparam == VK_INSERT)) {
        Later(kPasteTimer, pasteDelay_, L"paste key");
        return true;
      }
      if (cutDelay_ > 0 && ((ctrl && wparam == 'X') || (shift && wparam == VK_DELETE))) {
        Later(kCutTimer, cutDelay_, L"cut key");
        return true;
      }
    }
    // The Ctrl+V and Ctrl+X characters: handled by the timers.
    if (message == WM_CHAR && (wparam == 0x16 || (cutDelay_ > 0 && wparam == 0x18))) return true;
    if (message == WM_TIMER && (wparam == kPasteTimer || wparam == kCutTimer)) KillTimer(Edit(), wparam);
    if (message == WM_PASTE || (message == WM_TIMER && wparam == kPasteTimer)) {
      result = PasteNow();
      return true;
    }
    if (message == WM_TIMER && wparam == kCutTimer) {
      result = EditDefault(WM_CUT, 0, 0);
      return true;
    }
    return false;
  }

  bool TopMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    if (message != kStopAnswering) return false;
    StopAnswering(Top(), static_cast<DWORD>(wparam), L"not answering", L"answering again");
    result = 0;
    return true;
  }

  UINT pasteDelay_, cutDelay_;
};

// The verbs: 0 done, 1 no editor running, 2 too few arguments.
int RunVerb(const Arguments& args) {
  HWND top = FindWindowW(L"QtLatePaste", nullptr);
  HWND edit = top ? GetWindow(top, GW_CHILD) : nullptr;
  if (!edit) return 1;
  if (args.Is(1, L"stop")) {
    return SendStopAnswering(top, static_cast<DWORD>(args.Number(2, 5000))) ? 0 : 1;
  }
  if (args.Is(1, L"set")) {
    if (args.Count() < 5) return 2;
    const std::wstring text = Unescape(args[2]);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(args.Number(3, 0)), args.Number(4, 0));
    return 0;
  }
  BinaryOutput();
  PrintBracketed("text", quiltor::ToAnsiForDisplay(WindowText(edit)));
  const DWORD selection = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
  std::printf("sel %u %u\n", LOWORD(selection), HIWORD(selection));
  return 0;
}

}  // namespace

int main() {
  const Arguments args;
  if (args.IsAnyOf(1, {L"stop", L"get", L"set"})) return RunVerb(args);
  const wchar_t* control = L"Edit";
  if (args.Is(3, L"rich")) {
    if (!LoadLibraryW(L"riched20.dll")) return 1;
    control = L"RichEdit20W";
  } else if (args.Is(3, L"own")) {
    if (!RegisterOwnEditClass()) return 1;
    control = L"QtLateEdit";
  }
  LatePaste editor(static_cast<UINT>(args.Number(1, 300)), static_cast<UINT>(args.Number(2, 0)), control);
  return editor.Open() ? RunMessageLoop() : 1;
}
