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
//   qtlinkeditor stop <name> <ms>  the editor named <name> stops answering
//                                  for <ms>, as a hung program does
//   qtlinkeditor get <name>        prints "text [<its text>]"
// Log lines: "open <name> edit <hwnd> top <hwnd>", "close <name>" (when
// WM_CLOSE arrives), and with -ask "asked <name>" (the question is up) and
// "answered <name> <yes|no|cancel>".
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"QtLinkEditor";
constexpr UINT kStopAnswering = WM_APP + 1;
// Left of and below where the tests place the tool, so the editor never
// covers the tool's buttons (no window manager moves it out of the way).
constexpr int kLeft = 10;
constexpr int kTop = 380;
// Later windows of one process step down and right, so each shows a corner.
constexpr int kCascade = 12;
std::wstring gLog;
int gOpenWindows = 0;
bool gAsk = false;
bool gDeep = false;

// What each top window keeps, in its GWLP_USERDATA.
struct Document {
  std::wstring name;
  HWND edit = nullptr;
  HWND pane = nullptr;  // with -deep: the edit control's parent
};

Document* DocumentOf(HWND window) { return reinterpret_cast<Document*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void Note(const std::wstring& line) {
  if (gLog.empty() || gLog == L"-") return;
  // One write per line, appended: several editors share one log.
  HANDLE file = CreateFileW(gLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\r\n";
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK TopProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Document* document = DocumentOf(window);
  if (!document) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE: {
      HWND parent = window;
      if (gDeep) {
        document->pane = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 160, window, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
        if (!document->pane) return -1;
        parent = document->pane;
      }
      document->edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"",
                                       WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 300, 160, parent,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
      return document->edit ? 0 : -1;
    }
    case WM_SIZE:
      if (document->pane) MoveWindow(document->pane, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      MoveWindow(document->edit, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(document->edit);
      return 0;
    case WM_CLOSE: {
      Note(L"close " + document->name);
      if (gAsk) {
        Note(L"asked " + document->name);
        const int answer = MessageBoxW(window, L"変更を保存しますか?", (document->name + L" - QtLinkEditor").c_str(),
                                       MB_YESNOCANCEL | MB_ICONQUESTION);
        Note(L"answered " + document->name + (answer == IDYES ? L" yes" : answer == IDNO ? L" no" : L" cancel"));
        if (answer != IDYES && answer != IDNO) return 0;
      }
      DestroyWindow(window);
      return 0;
    }
    case kStopAnswering:
      SetWindowTextW(window, (document->name + L" - not answering").c_str());
      Sleep(static_cast<DWORD>(wparam));
      SetWindowTextW(window, (document->name + L" - QtLinkEditor").c_str());
      return 0;
    case WM_DESTROY:
      if (--gOpenWindows == 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

struct Found {
  std::wstring name;
  HWND top = nullptr;
};

// The editor whose title starts with "<name> - ".
HWND FindEditor(const std::wstring& name) {
  Found found{name + L" - ", nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Found*>(p);
        wchar_t className[64] = {}, title[256] = {};
        GetClassNameW(w, className, 64);
        GetWindowTextW(w, title, 256);
        if (std::wcscmp(className, kClass) != 0 || std::wcsncmp(title, f->name.c_str(), f->name.size()) != 0) {
          return TRUE;
        }
        f->top = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.top;
}

struct Question {
  HWND owner = nullptr;
  HWND box = nullptr;
};

// The message box the editor `top` shows.
HWND FindQuestion(HWND top) {
  Question question{top, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* q = reinterpret_cast<Question*>(p);
        wchar_t className[16] = {};
        GetClassNameW(w, className, 16);
        if (std::wcscmp(className, L"#32770") != 0 || GetWindow(w, GW_OWNER) != q->owner || !IsWindowVisible(w)) {
          return TRUE;
        }
        q->box = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&question));
  return question.box;
}

int ShowQuestion(HWND top, const wchar_t* press) {
  HWND box = top ? FindQuestion(top) : nullptr;
  if (!box) {
    std::printf("nobox\n");
    return 1;
  }
  RECT r{};
  GetWindowRect(box, &r);
  std::printf("box %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (press) {
    const int id = std::wcscmp(press, L"yes") == 0 ? IDYES : std::wcscmp(press, L"no") == 0 ? IDNO : IDCANCEL;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }
  return 0;
}

int RunVerb(int argc, wchar_t** argv) {
  const std::wstring verb = argv[1];
  HWND top = argc > 2 ? FindEditor(argv[2]) : nullptr;
  if (verb == L"question") return ShowQuestion(top, nullptr);
  if (verb == L"answer") return argc > 3 ? ShowQuestion(top, argv[3]) : 2;
  if (verb == L"stop") {
    if (!top) return 1;
    PostMessageW(top, kStopAnswering, argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 5000, 0);
    return 0;
  }
  HWND edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
  if (top && !edit) {
    HWND pane = FindWindowExW(top, nullptr, L"Static", nullptr);
    edit = pane ? FindWindowExW(pane, nullptr, L"Edit", nullptr) : nullptr;
  }
  if (!edit) return 1;
  char text[2048] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      &ignored);
  std::printf("text [%s]\n", text);
  return 0;
}

std::wstring NameOf(const std::wstring& file) {
  const size_t cut = file.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? file : file.substr(cut + 1);
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  for (const wchar_t* verb : {L"stop", L"get", L"answer", L"question"}) {
    if (std::wcscmp(argv[1], verb) == 0) return RunVerb(argc, argv);
  }
  int first = 1;
  if (std::wcscmp(argv[1], L"-launch") == 0) {
    // The rest of the raw command line goes to the editor unchanged.
    std::wstring line = GetCommandLineW();
    const size_t flag = line.find(L"-launch");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring editor = L"\"" + std::wstring(self) + L"\"" + line.substr(flag + 7);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, editor.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
      return 1;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
  }
  if (std::wcscmp(argv[first], L"-deep") == 0) {
    gDeep = true;
    ++first;
  }
  if (argc > first && std::wcscmp(argv[first], L"-ask") == 0) {
    gAsk = true;
    ++first;
  }
  if (argc <= first) return 2;
  gLog = argv[first];
  std::vector<Document> documents;
  for (int i = first + 1; i < argc; ++i) documents.push_back(Document{NameOf(argv[i]), nullptr});
  if (documents.empty()) documents.push_back(Document{L"untitled", nullptr});
  LocalFree(argv);

  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TopProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClass;
  if (!RegisterClassExW(&windowClass)) return 1;
  // The vector is not resized from here on, so each window's pointer stays good.
  for (size_t i = 0; i < documents.size(); ++i) {
    Document& document = documents[i];
    const int step = static_cast<int>(i) * kCascade;
    HWND top = CreateWindowExW(0, kClass, (document.name + L" - QtLinkEditor").c_str(),
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, kLeft + step, kTop + step, 320, 200, nullptr, nullptr,
                               instance, &document);
    if (!top) return 1;
    ++gOpenWindows;
    wchar_t line[320];
    swprintf(line, 320, L"open %ls edit %llu top %llu", document.name.c_str(),
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(document.edit)),
             static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(top)));
    Note(line);
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
