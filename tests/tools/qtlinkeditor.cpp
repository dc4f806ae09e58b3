// Test helper: a small editor for the linked-mode tests. Each of its top
// windows (class "QtLinkEditor", titled "<file name> - QtLinkEditor") holds
// one multi-line "Edit" control, and it notes in a log what a test needs to
// see from outside: when a window opened (with its handles) and every
// WM_CLOSE a top window received, in the order they came. It ends when its
// last window is gone.
//   qtlinkeditor <log> [<file>...] log "-" = none; one window per file, the
//                                  file only names it
//   qtlinkeditor -ask <log> [<file>...]
//                                  the same, but WM_CLOSE first asks whether
//                                  to save, in a modal message box titled
//                                  "<name> - QtLinkEditor"; Cancel keeps the
//                                  window
//   qtlinkeditor -deep ...         the edit control sits in a pane, two levels
//                                  below the top window
//   qtlinkeditor -launch ...       a launcher: starts another qtlinkeditor
//                                  with the rest of its command line and ends
//                                  at once (the flags combine, in this order:
//                                  -launch -deep -ask)
//   qtlinkeditor answer <name> <yes|no|cancel>
//                                  presses that button of the question of
//                                  the editor named <name>; prints "box <x>
//                                  <y> <w> <h>" of the question, or "nobox"
//   qtlinkeditor question <name>   prints the question's rectangle the same
//                                  way, touching nothing
//   qtlinkeditor get <name>        prints "text [<its text>]"
// Log lines: "open <name> edit <hwnd> top <hwnd>", "close <name>" (when
// WM_CLOSE arrives), and with -ask "asked <name>" (the question is up) and
// "answered <name> <yes|no|cancel>".
#include <cstdio>
#include <list>
#include <string>

#include "tools/test_window.h"

using namespace quiltor::testwin;

namespace {

constexpr wchar_t kClass[] = L"QtLinkEditor";
// Left of and below where the tests place the tool, so the editor never
// covers the tool's buttons (no window manager moves it out of the way).
constexpr int kLeft = 10;
constexpr int kTop = 380;
// Later windows of one process step down and right, so each shows a corner.
constexpr int kCascade = 12;

std::wstring gLog;
int gOpenWindows = 0;
bool gAsk = false;

void Note(const std::wstring& line) {
  // One write per line, appended: several editors share one log.
  if (!gLog.empty() && gLog != L"-") WriteToFile(gLog, quiltor::ToUtf8(line + L"\r\n"));
}

class Document : public EditorWindow {
 public:
  Document(std::wstring name, int step, bool deep)
      : EditorWindow({.topClass = kClass, .title = name + L" - QtLinkEditor",
                      .place = {kLeft + step, kTop + step, 320, 200},
                      .inPane = deep}),
        name_(std::move(name)) {}

  bool Open() {
    if (!EditorWindow::Open()) return false;
    ++gOpenWindows;
    wchar_t line[320];
    std::swprintf(line, 320, L"open %ls edit %llu top %llu", name_.c_str(), HandleNumber(Edit()),
                  HandleNumber(Top()));
    Note(line);
    return true;
  }

 private:
  bool TopMessage(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    result = 0;
    if (message != WM_CLOSE) return false;
    Note(L"close " + name_);
    if (gAsk) {
      Note(L"asked " + name_);
      const int answer = MessageBoxW(Top(), L"変更を保存しますか?", (name_ + L" - QtLinkEditor").c_str(),
                                     MB_YESNOCANCEL | MB_ICONQUESTION);
      Note(L"answered " + name_ + (answer == IDYES ? L" yes" : answer == IDNO ? L" no" : L" cancel"));
      if (answer != IDYES && answer != IDNO) return true;
    }
    DestroyWindow(Top());
    return true;
  }

  void Destroyed() override {
    if (--gOpenWindows == 0) PostQuitMessage(0);
  }

  std::wstring name_;
};

// The editor whose title starts with "<name> - ".
HWND FindEditor(const std::wstring& name) {
  const std::wstring start = name + L" - ";
  return FindTopWindow([&](HWND w) {
    return quiltor::outside::ClassOf(w) == kClass && quiltor::outside::TextOf(w).starts_with(start);
  });
}

// The message box the editor `top` shows.
HWND FindQuestion(HWND top) {
  return FindTopWindow([&](HWND w) {
    return quiltor::outside::ClassOf(w) == L"#32770" && GetWindow(w, GW_OWNER) == top && IsWindowVisible(w);
  });
}

int ShowQuestion(HWND top, const std::wstring* press) {
  HWND box = top ? FindQuestion(top) : nullptr;
  if (!box) {
    std::printf("nobox\n");
    return 1;
  }
  RECT r{};
  GetWindowRect(box, &r);
  std::printf("box %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (press) {
    const int id = *press == L"yes" ? IDYES : *press == L"no" ? IDNO : IDCANCEL;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }
  return 0;
}

int RunVerb(const Arguments& args) {
  HWND top = args.Count() > 2 ? FindEditor(args[2]) : nullptr;
  if (args.Is(1, L"question")) return ShowQuestion(top, nullptr);
  if (args.Is(1, L"answer")) return args.Count() > 3 ? ShowQuestion(top, &args[3]) : 2;
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  if (top && !edit) {
    HWND pane = FindWindowExW(top, nullptr, L"Static", nullptr);
    edit = pane ? FindWindowExW(pane, nullptr, L"Edit", nullptr) : nullptr;
  }
  if (!edit) return 1;
  PrintBracketed("text", quiltor::ToAnsiForDisplay(WindowText(edit, 5000)));
  return 0;
}

// A launcher: another editor with the rest of the raw command line, unchanged.
int Launch() {
  const std::wstring line = GetCommandLineW();
  std::wstring editor = L"\"" + SelfPath() + L"\"" + line.substr(line.find(L"-launch") + 7);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, editor.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return 1;
  }
  quiltor::KernelHandle thread(started.hThread), process(started.hProcess);
  return 0;
}

std::wstring NameOf(const std::wstring& file) {
  const size_t cut = file.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? file : file.substr(cut + 1);
}

}  // namespace

int main() {
  const Arguments args;
  if (args.Count() < 2) return 2;
  if (args.IsAnyOf(1, {L"get", L"answer", L"question"})) return RunVerb(args);
  if (args.Is(1, L"-launch")) return Launch();
  int first = 1;
  const bool deep = args.Is(first, L"-deep");
  if (deep) ++first;
  gAsk = args.Is(first, L"-ask");
  if (gAsk) ++first;
  if (args.Count() <= first) return 2;
  gLog = args[first];
  // A list: each window keeps a pointer to its document.
  std::list<Document> documents;
  for (int i = first + 1; i < args.Count() || documents.empty(); ++i) {
    const int step = static_cast<int>(documents.size()) * kCascade;
    Document& document = documents.emplace_back(i < args.Count() ? NameOf(args[i]) : L"untitled", step, deep);
    if (!document.Open()) return 1;
  }
  return RunMessageLoop();
}
