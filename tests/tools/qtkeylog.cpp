// Test helper: an editor that records every key it receives with the
// modifiers held, and takes its copy, cut and paste keys from a packed key
// setting (copy code x 1 000 000 + cut code x 1 000 + paste code, a code
// being (modifiers + 1) x 100 + key number, modifiers Ctrl 1, Shift 2, Alt 4;
// key numbers A-Z 0-25, 1-9 26-34, 0 35, Insert 36, Delete 37, F1-F12 38-49),
// so a test sees which keys a writer sent and that they worked. Top window
// class "QtKeyLog", edit control class "Edit".
//   qtkeylog [setting [file]]          default setting 202223221 (Ctrl+C, X, V)
//   qtkeylog set <text> <start> <end>  the running editor's text and selection
//   qtkeylog get                       "text [..]" and "keys [..]", the keys
//                                      as "Ctrl+Shift+Alt+Name" joined by " ",
//                                      and "edit <handle>" of its edit control
// Texts travel in code page 932.
#include <cstdio>
#include <string>

#include "tools/test_window.h"

using namespace quiltor::testwin;

namespace {

UINT VirtualKeyOf(int number) {
  if (number >= 0 && number <= 25) return static_cast<UINT>('A' + number);
  if (number >= 26 && number <= 34) return static_cast<UINT>('1' + number - 26);
  if (number == 35) return '0';
  if (number == 36) return VK_INSERT;
  if (number == 37) return VK_DELETE;
  if (number >= 38 && number <= 49) return static_cast<UINT>(VK_F1 + number - 38);
  return 0;
}

std::wstring KeyName(WPARAM vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::wstring(1, static_cast<wchar_t>(vk));
  if (vk == VK_INSERT) return L"[INS]";
  if (vk == VK_DELETE) return L"[DEL]";
  if (vk >= VK_F1 && vk <= VK_F12) return L"[F" + std::to_wstring(vk - VK_F1 + 1) + L"]";
  wchar_t hex[8];
  std::swprintf(hex, 8, L"%02X", static_cast<unsigned>(vk));
  return hex;
}

int Modifiers() {
  return (GetKeyState(VK_CONTROL) < 0 ? 1 : 0) | (GetKeyState(VK_SHIFT) < 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

class KeyLog : public EditorWindow {
 public:
  explicit KeyLog(long setting)
      : EditorWindow({.topClass = L"QtKeyLog", .title = L"Key log", .place = {10, 320, 320, 240},
                      .editMessages = true}),
        copy_(static_cast<int>(setting / 1000000)),
        cut_(static_cast<int>(setting / 1000 % 1000)),
        paste_(static_cast<int>(setting % 1000)) {}

 private:
  // The log, read from outside: a hidden "Static" beside the edit control.
  bool Created() override {
    log_ = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 0, 0, Top(), nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    return log_ != nullptr;
  }

  static bool Matches(int code, WPARAM vk, int modifiers) {
    return code > 0 && VirtualKeyOf(code % 100) == vk && code / 100 - 1 == modifiers;
  }

  void Record(WPARAM vk, int modifiers) {
    std::wstring text = quiltor::testwin::WindowText(log_);
    if (!text.empty()) text += L' ';
    text += std::wstring(modifiers & 1 ? L"Ctrl+" : L"") + (modifiers & 2 ? L"Shift+" : L"") +
            (modifiers & 4 ? L"Alt+" : L"") + KeyName(vk);
    SetWindowTextW(log_, text.c_str());
  }

  bool EditMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) override {
    if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && wparam != VK_CONTROL && wparam != VK_SHIFT &&
        wparam != VK_MENU) {
      const int modifiers = Modifiers();
      Record(wparam, modifiers);
      UINT action = 0;
      if (Matches(copy_, wparam, modifiers)) action = WM_COPY;
      if (Matches(cut_, wparam, modifiers)) action = WM_CUT;
      if (Matches(paste_, wparam, modifiers)) action = WM_PASTE;
      swallowChar_ = action != 0;
      if (!action) return false;
      result = EditDefault(action, 0, 0);
      return true;
    }
    // The characters of the keys taken as commands must not land in the text.
    if ((message == WM_CHAR || message == WM_SYSCHAR) && swallowChar_) {
      swallowChar_ = false;
      result = 0;
      return true;
    }
    return false;
  }

  int copy_, cut_, paste_;
  HWND log_ = nullptr;
  bool swallowChar_ = false;
};

int RunVerb(const Arguments& args) {
  HWND top = FindWindowW(L"QtKeyLog", nullptr);
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  HWND log = top ? FindWindowExW(top, nullptr, L"Static", nullptr) : nullptr;
  if (!edit || !log) {
    std::printf("noeditor\n");
    return 1;
  }
  if (args.Is(1, L"set") && args.Count() > 4) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[2].c_str()));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(args.Number(3, 0)), args.Number(4, 0));
    SendMessageW(log, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    return 0;
  }
  BinaryOutput();
  PrintBracketed("text", quiltor::ToAnsiForDisplay(WindowText(edit)));
  PrintBracketed("keys", quiltor::ToAnsiForDisplay(WindowText(log)));
  std::printf("edit %llu\n", HandleNumber(edit));
  return 0;
}

}  // namespace

int main() {
  const Arguments args;
  if (args.IsAnyOf(1, {L"set", L"get"})) return RunVerb(args);
  KeyLog editor(args.Number(1, 202223221));
  return editor.Open() ? RunMessageLoop() : 1;
}
