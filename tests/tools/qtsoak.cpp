// Long runs of the tool driven from outside by one program, for the soak test
// and its benchmarks. The caller gives a folder holding Quiltor.exe; this
// program writes the settings and data files there, starts the tool, does
// the work with window messages, checks every step, prints what it saw and
// closes the tool again.
//
//   qtsoak writes <folder> <n>
//       n writes into Wine's notepad, alternating between simple mode (by
//       clipboard messages) and linked mode (by the editor's keys, notepad
//       linked by a second start with /h and /f), toggled with
//       ToolButton_Mode between writes. Three text items take turns: one
//       wraps the selection, one replaces it, one inserts two lines at the
//       caret. The user's clipboard holds a text, a bitmap (CF_DIB) and a
//       private registered format throughout. After every write notepad must
//       hold the expected text and the clipboard all three formats, byte for
//       byte.
//   qtsoak writes <folder> <n> messages|keys|toggles
//       the same with writes of one kind only, or only the mode switches, to
//       tell which of them costs memory (QTSOAK_FORMATS=<0..3> puts only the
//       first formats of the user's clipboard)
//   qtsoak swaps <folder> <n>
//       n data-file swaps between two data files by the message a second
//       start with /d sends; after each one every page is shown, as a user
//       clicking its tab, so that each swap takes down a whole data file's
//       tabs, buttons and menus. Each swap is checked by the pages it leaves.
//
// Both print the tool's memory, read from outside, before the first step,
// after 50 and 200 writes (10 and 50 swaps) and after the last step:
// "memory <steps> <label>: working set <KB> KB, committed private <KB> KB"
// (and the private usage and handle count where the system tells them).
// Wine reads another process's working set from Linux (VmRSS). The last lines
// are "<verb> <n> ok" or "FAIL ..." lines; exit code 0 when all went well.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <string>
#include <vector>

#include "tools/outside.h"
#include "tools/test_window.h"
#include "window/commands.h"
#include "window/main_view.h"

namespace {

using namespace quiltor::outside;
using namespace quiltor::testwin;

constexpr DWORD kStartLimitMs = 60000;
constexpr DWORD kStepLimitMs = 15000;
// A paste may still be on its way in the editor's thread when the tool has
// become idle.
constexpr DWORD kTextSettleMs = 3000;
constexpr UINT kCommandTimeoutMs = 30000;
constexpr int kWriteMarks[] = {0, 50, 200};
// Ten swaps in, whatever the first loads settle has settled; fifty is the
// size of the test's run.
constexpr int kSwapMarks[] = {0, 10, 50};

// The items of the soak data file: row, texts as the data file holds them
// (UTF-8 here, CP932 in the file) and as the editor gets them.
struct SoakItem {
  int row;
  const char* caption;
  const char* rawBefore;
  const char* rawAfter;
  const wchar_t* before;
  const wchar_t* after;
  bool selects;  // the seed word is selected before the write
};
const SoakItem kItems[] = {
    {0, "包む", "<b>", "</b>", L"<b>", L"</b>", true},
    {1, "置換", "置換済み", "", L"置換済み", L"", true},
    {2, "改行", "行一\\n行二", "", L"行一\r\n行二", L"", false},
};

// The user's clipboard while the tool writes: a text, a small bitmap and a
// format of the user's own program.
constexpr char kPrivateFormatName[] = "QuiltorSoakPrivate";

std::string Ansi(const std::string& utf8) { return quiltor::ToAnsiForDisplay(Wide(utf8)); }

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  return WriteToFile(quiltor::FromAnsi(path), bytes, Write::kReplace);
}

// Shown for a failure: the text with its line ends visible.
std::string Shown(const std::wstring& text, size_t limit = 160) {
  std::wstring tail = text.size() > limit ? L"..." + text.substr(text.size() - limit) : text;
  std::string out;
  for (char c : Utf8(tail)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

// ---- A started program -------------------------------------------------------

class Program {
 public:
  bool Start(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info_) != FALSE;
  }
  DWORD Id() const { return info_.dwProcessId; }
  bool WaitEnd(DWORD ms) { return !info_.hProcess || WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }
  ~Program() {
    if (!info_.hProcess) return;
    if (!WaitEnd(0)) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }

 private:
  PROCESS_INFORMATION info_ = {};
};

HWND TopWindowOf(DWORD process, const wchar_t* className) {
  return FindTopWindow([&](HWND w) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    return owner == process && ClassOf(w) == className;
  });
}

template <typename Predicate>
bool WaitFor(DWORD limitMs, Predicate predicate) {
  const DWORD start = GetTickCount();
  while (!predicate()) {
    if (GetTickCount() - start >= limitMs) return predicate();
    Sleep(2);
  }
  return true;
}

// ---- The tool seen from outside ----------------------------------------------

class Tool {
 public:
  bool Start(const std::string& folder) {
    if (!program_.Start("\"" + folder + "\\Quiltor.exe\"", folder)) return false;
    main_ = WaitUntilSettled([&] { return TopWindowOf(program_.Id(), L"TFormMain"); }, kStartLimitMs);
    if (!main_) return false;
    process_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program_.Id());
    return WaitIdle();
  }
  ~Tool() {
    if (process_) CloseHandle(process_);
  }

  HWND Main() const { return main_; }

  LRESULT Status(unsigned which) {
    static const UINT message = RegisterWindowMessageA(quiltor::kStatusMessageName);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main_, message, which, 0, SMTO_NORMAL, 2000, &answer)) return 0;
    return static_cast<LRESULT>(answer);
  }
  bool WaitIdle(DWORD limitMs = kStepLimitMs) {
    return WaitFor(limitMs, [&] { return Status(quiltor::kStatusIdle) == 1; });
  }

  // A command as the control that carries it sends it; returns when the
  // tool has handled it.
  bool Command(WPARAM wparam, HWND control) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(main_, WM_COMMAND, wparam, reinterpret_cast<LPARAM>(control), SMTO_NORMAL,
                               kCommandTimeoutMs, &ignored) != 0;
  }

  HWND CommandBar() { return FindChildNamed(main_, L"ToolBar"); }
  bool Linked() {
    return SendMessageW(CommandBar(), TB_ISBUTTONCHECKED, quiltor::ToUint(quiltor::CommandId::kMode), 0) != 0;
  }
  bool ClickMode() {
    HWND bar = CommandBar();
    return bar && Command(MAKEWPARAM(quiltor::ToUint(quiltor::CommandId::kMode), BN_CLICKED), bar);
  }

  bool ClickItem(HWND bar, int row) { return Command(MAKEWPARAM(row + 1, BN_CLICKED), bar); }

  int TabCount() {
    HWND tabs = FindChildNamed(main_, L"PageControl");
    return tabs ? static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) : -1;
  }

  // Clicks every tab in turn, so each page makes its buttons, and checks
  // that there is one page box per tab then, each with its buttons. Empty
  // when all went well, else what went wrong.
  std::string ShowEveryPage() {
    HWND tabs = FindChildNamed(main_, L"PageControl");
    const int count = TabCount();
    if (!tabs || count <= 0) return "no tabs";
    RemoteBuffer rect(tabs, sizeof(RECT));
    if (!rect.Ok()) return "no memory in the tool's process";
    for (int page = 0; page < count; ++page) {
      if (SendMessageW(tabs, TCM_GETCURSEL, 0, 0) != page) {
        RECT r{};
        if (!SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page), rect.Address()))
          return "no rectangle for tab " + std::to_string(page);
        rect.Read(&r, sizeof r);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(tabs, WM_LBUTTONUP, 0, at);
        if (!WaitFor(kStepLimitMs, [&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == page; }) || !WaitIdle())
          return "tab " + std::to_string(page) + " did not show its page";
      }
      if (!PageBar(page)) return "page " + std::to_string(page) + " has no buttons when shown";
    }
    int boxes = 0;
    for (HWND box = GetWindow(tabs, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT))
      if (ClassOf(box) == L"QuiltorPageBox") ++boxes;
    if (boxes != count) return std::to_string(boxes) + " page boxes for " + std::to_string(count) + " tabs";
    return {};
  }

  // The main-column tool bar of a page that has been shown, with buttons.
  HWND PageBar(int page) {
    HWND tabs = FindChildNamed(main_, L"PageControl");
    const std::wstring name = L"ScrollBox" + std::to_wstring(page);
    HWND box = tabs ? FindWindowExW(tabs, nullptr, L"QuiltorPageBox", name.c_str()) : nullptr;
    HWND bar = box ? FindWindowExW(box, nullptr, TOOLBARCLASSNAMEW, L"ToolBarMain") : nullptr;
    return bar && SendMessageW(bar, TB_BUTTONCOUNT, 0, 0) > 0 ? bar : nullptr;
  }

  bool Forward(const std::string& text) {
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(0xFFFFFFFF);
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = const_cast<char*>(text.c_str());
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                               kCommandTimeoutMs, &ignored) != 0;
  }

  // A message box the tool shows, as text; it is closed so the run can end.
  std::string TakeMessageBox() {
    DWORD pid = 0;
    GetWindowThreadProcessId(main_, &pid);
    HWND box = TopWindowOf(pid, L"#32770");
    if (!box) return {};
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == L"Static") text += TextOf(child);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return Utf8(text);
  }

  void PrintMemory(int steps, const char* label) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Committed private memory, region by region: heaps and everything the
    // tool allocated, without the mapped program files.
    unsigned long long committed = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQueryEx(process_, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
      if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
      if (region.RegionSize == 0) break;
    }
    DWORD handles = 0;
    GetProcessHandleCount(process_, &handles);
    std::printf("memory %d %s: working set %llu KB, committed private %llu KB", steps, label,
                static_cast<unsigned long long>(counters.WorkingSetSize / 1024), committed / 1024);
    // Wine tells neither of another process.
    if (counters.PrivateUsage) std::printf(", private usage %llu KB", static_cast<unsigned long long>(counters.PrivateUsage / 1024));
    if (handles) std::printf(", handles %lu", handles);
    std::printf("\n");
    std::fflush(stdout);
  }

  bool Close() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return program_.WaitEnd(30000);
  }

 private:
  Program program_;
  HWND main_ = nullptr;
  HANDLE process_ = nullptr;
};

template <size_t N>
bool Marked(const int (&marks)[N], int step, int last) {
  if (step == last) return true;
  return std::find(std::begin(marks), std::end(marks), step) != std::end(marks);
}

// ---- Notepad -------------------------------------------------------------------

struct Notepad {
  Program program;
  HWND top = nullptr;
  HWND edit = nullptr;

  bool Start() {
    if (!program.Start("notepad.exe", "")) return false;
    WaitFor(kStartLimitMs, [&] {
      top = TopWindowOf(program.Id(), L"Notepad");
      edit = top ? FindWindowExW(top, nullptr, L"Edit", nullptr) : nullptr;
      return edit != nullptr;
    });
    if (!edit) return false;
    // Away from the tool window and from the corner where the pointer waits.
    SetWindowPos(top, nullptr, 10, 320, 360, 240, SWP_NOZORDER);
    return true;
  }
  bool Front() {
    if (GetForegroundWindow() != top) SetForegroundWindow(top);
    return WaitFor(5000, [&] { return GetForegroundWindow() == top; });
  }
  std::wstring Text() {
    const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
  }
  // What the user types before choosing the item: a blank and a word at the
  // end of the text, then either the word selected or the caret after it.
  void Type(const std::wstring& word, bool select) {
    const WPARAM end = static_cast<WPARAM>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0));
    const std::wstring typed = L" " + word;
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(typed.c_str()));
    const WPARAM after = end + typed.size();
    SendMessageW(edit, EM_SETSEL, select ? after - word.size() : after, static_cast<LPARAM>(after));
  }
  void Close() {
    if (!top) return;
    SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
    PostMessageW(top, WM_CLOSE, 0, 0);
    program.WaitEnd(10000);
  }
};

// ---- The user's clipboard ------------------------------------------------------

struct ClipFormat {
  UINT id;
  const char* label;
  std::string bytes;
};

std::vector<ClipFormat> UserClipboard() {
  std::vector<ClipFormat> formats;
  formats.push_back({CF_TEXT, "text", Ansi("ユーザーの文章 user text") + '\0'});
  // A 3 x 2 picture of 24 bits, rows padded to four bytes.
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = 3;
  header.biHeight = 2;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = 2 * 12;
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  for (int i = 0; i < 24; ++i) dib += static_cast<char>(i * 37 + 5);
  formats.push_back({CF_DIB, "bitmap (CF_DIB)", dib});
  std::string own;
  for (int i = 0; i < 41; ++i) own += static_cast<char>((i * 11) & 0xFF);  // zero bytes included
  formats.push_back({RegisterClipboardFormatA(kPrivateFormatName), "private format", own});
  // QTSOAK_FORMATS=<n> keeps the first n of them, to tell what the tool's
  // memory grows with.
  if (const char* only = std::getenv("QTSOAK_FORMATS"))
    formats.resize(std::min(formats.size(), static_cast<size_t>(std::max(0, std::atoi(only)))));
  return formats;
}

bool OpenClipboardSoon() {
  return WaitFor(2000, [] { return OpenClipboard(nullptr) != FALSE; });
}

bool PutClipboard(const std::vector<ClipFormat>& formats) {
  if (!OpenClipboardSoon()) return false;
  bool ok = EmptyClipboard() != FALSE;
  for (const ClipFormat& f : formats) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, f.bytes.size());
    void* p = block ? GlobalLock(block) : nullptr;
    if (!p) {
      ok = false;
      continue;
    }
    std::memcpy(p, f.bytes.data(), f.bytes.size());
    GlobalUnlock(block);
    if (!SetClipboardData(f.id, block)) {
      GlobalFree(block);
      ok = false;
    }
  }
  CloseClipboard();
  return ok;
}

// Empty when the clipboard holds every format byte for byte, else what differs.
std::string CompareClipboard(const std::vector<ClipFormat>& formats) {
  if (!OpenClipboardSoon()) return "the clipboard could not be opened";
  std::string differences;
  for (const ClipFormat& f : formats) {
    HANDLE handle = GetClipboardData(f.id);
    const char* p = handle ? static_cast<const char*>(GlobalLock(handle)) : nullptr;
    if (!p) {
      differences += std::string(differences.empty() ? "" : "; ") + f.label + " missing";
      continue;
    }
    const std::string got(p, GlobalSize(handle));
    GlobalUnlock(handle);
    if (got != f.bytes) {
      differences += std::string(differences.empty() ? "" : "; ") + f.label + " differs (" +
                     std::to_string(got.size()) + " bytes, expected " + std::to_string(f.bytes.size()) + ")";
    }
  }
  CloseClipboard();
  return differences;
}

// ---- Files of the run -----------------------------------------------------------

// Simple mode writes by clipboard messages, linked mode by the keys of the
// common file kind (Ctrl+X, Ctrl+V). The watch timer ticks often so a mode
// change takes its target soon; no height animation.
std::string WritesSettings() {
  return "[Quiltor]\r\nQuiltorData=soak.edt\r\nTop=20\r\nLeft=420\r\nHeight=300\r\nActivePage=0\r\nMode=0\r\n"
         "[Setup]\r\nPasteKindEZ=0\r\nPasteIntervalEZ=0\r\nPasteKind=1\r\nPasteInterval=0\r\n"
         "CutPasteKey=202223221\r\nTimer=100\r\nTimerEZ=0\r\nResize=0\r\n";
}

std::string WritesDataFile() {
  std::string out = "[Version]\r\nNo=170\r\n[Group]\r\nCount=1\r\nTitle=soak\r\n[Menu00]\r\nTitle=ソーク\r\nCount=" +
                    std::to_string(std::size(kItems)) + "\r\n";
  char line[160];
  for (const SoakItem& item : kItems) {
    std::snprintf(line, sizeof line, "M%02d=00,%s\r\n", item.row, item.caption);
    out += line;
  }
  out += "[Edit00]\r\n";
  for (const SoakItem& item : kItems) {
    std::snprintf(line, sizeof line, "M%02da=%s\r\nM%02db=%s\r\n", item.row, item.rawBefore, item.row, item.rawAfter);
    out += line;
  }
  return Ansi(out);
}

// Two data files of different shapes, so each swap takes down and builds
// tabs, buttons and drop-down menus: one of three pages, one of two.
std::string SwapDataFile(int pages, const char* title) {
  std::string out = "[Version]\r\nNo=170\r\n[Group]\r\nCount=" + std::to_string(pages) + "\r\nTitle=" + title + "\r\n";
  char line[160];
  for (int p = 0; p < pages; ++p) {
    std::snprintf(line, sizeof line, "[Menu%02d]\r\nTitle=%s%d\r\nCount=20\r\n", p, title, p);
    out += line;
    for (int r = 0; r < 20; ++r) {
      if (r % 7 == 6) {
        std::snprintf(line, sizeof line, "M%02d=-\r\n", r);
      } else if (r % 5 == 4) {
        std::snprintf(line, sizeof line, "M%02d=13,03,メニュー%d\r\nM%02d00=00,項目\r\nM%02d01=-\r\nM%02d02=08,部品\r\n",
                      r, r, r, r, r);
      } else {
        std::snprintf(line, sizeof line, "M%02d=%02d,定型文%d-%d\r\nS%02d=%02d,s\r\n", r, r % 3 == 0 ? 0 : 2, p, r, r,
                      7 + r % 5);
      }
      out += line;
    }
    std::snprintf(line, sizeof line, "[Edit%02d]\r\n", p);
    out += line;
    for (int r = 0; r < 20; ++r) {
      std::snprintf(line, sizeof line, "M%02da=text %d\r\nM%02d00a=x\r\n", r, r, r);
      out += line;
    }
  }
  return Ansi(out);
}

int Fail(const std::string& message) {
  std::printf("FAIL %s\n", message.c_str());
  std::fflush(stdout);
  return 1;
}

// ---- writes ---------------------------------------------------------------------

// Which writes a run makes: both kinds in turn (the soak), or, to tell
// where memory goes, one kind alone or only the mode switches.
enum class Variant { kBoth, kMessages, kKeys, kToggles };

int RunWrites(const std::string& folder, int count, Variant variant) {
  if (!WriteFileBytes(folder + "\\Quiltor.ini", WritesSettings()) ||
      !WriteFileBytes(folder + "\\soak.edt", WritesDataFile()))
    return Fail("cannot write the settings and data file into " + folder);
  Tool tool;
  if (!tool.Start(folder)) return Fail("the tool did not start and become idle");
  HWND bar = tool.PageBar(0);
  if (!bar) return Fail("the item buttons were not found");

  Notepad pad;
  if (!pad.Start()) return Fail("notepad did not start");
  const std::vector<ClipFormat> user = UserClipboard();
  if (!PutClipboard(user)) return Fail("the user's clipboard could not be set");
  if (std::string diff = CompareClipboard(user); !diff.empty())
    return Fail("the clipboard does not keep the user's formats even before the tool writes: " + diff);
  if (!pad.Front()) return Fail("notepad did not come to the front");

  // Linked to notepad by a second start, as another program would link it.
  const std::string linkFile = folder + "\\soak.txt";
  {
    Program second;
    char arguments[64];
    std::snprintf(arguments, sizeof arguments, " /h%llu",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(pad.edit)));
    if (!second.Start("\"" + folder + "\\Quiltor.exe\"" + arguments + " \"/f" + linkFile + "\"", folder) ||
        !second.WaitEnd(kStartLimitMs))
      return Fail("the second start did not end");
    if (second.ExitCode() != 1) return Fail("the second start ended with " + std::to_string(second.ExitCode()));
  }
  if (!WaitFor(kStepLimitMs, [&] { return tool.Status(quiltor::kStatusLinkedEdit) == reinterpret_cast<LRESULT>(pad.edit); }))
    return Fail("the second start did not link notepad's edit window");
  if (!tool.WaitIdle() || !tool.Linked()) return Fail("the tool is not in linked mode after the link");
  if (!pad.Front()) return Fail("notepad did not come back to the front");

  tool.PrintMemory(0, "writes");
  std::wstring expected = pad.Text();
  int byKeys = 0, byMessages = 0;
  double keyMs = 0, messageMs = 0, toggleMs = 0;
  const double started = NowMs();
  for (int i = 1; i <= count; ++i) {
    const bool linked = variant == Variant::kKeys || ((variant == Variant::kBoth || variant == Variant::kToggles) && i % 2 == 0);
    const SoakItem& item = kItems[(i - 1) % std::size(kItems)];
    const std::string what = "write " + std::to_string(i) + " (" + (linked ? "linked mode, keys" : "simple mode, messages") +
                             ", item " + item.caption + ")";
    if (tool.Linked() != linked) {
      const double toggleStart = NowMs();
      if (!tool.ClickMode() || !tool.WaitIdle() || tool.Linked() != linked)
        return Fail(what + ": ToolButton_Mode did not switch the mode");
      // Simple mode writes into the window its watch saw last with the focus.
      if (!linked && !WaitFor(kStepLimitMs, [&] {
            return tool.Status(quiltor::kStatusSimpleTarget) == reinterpret_cast<LRESULT>(pad.edit);
          }))
        return Fail(what + ": the simple-mode target is not notepad's edit window");
      toggleMs += NowMs() - toggleStart;
    }
    if (variant == Variant::kToggles) {
      if (Marked(kWriteMarks, i, count)) tool.PrintMemory(i, "mode switches");
      continue;
    }

    const std::wstring word = L"s" + std::to_wstring(i);
    pad.Type(word, item.selects);
    const std::wstring after = item.after;
    // A selected word is replaced by the before text, or wrapped when there is an after text.
    expected += L" " + (item.selects ? std::wstring() : word) + item.before +
                (item.selects && !after.empty() ? word : std::wstring()) + after;

    const double writeStart = NowMs();
    if (!tool.ClickItem(bar, item.row)) return Fail(what + ": the tool did not answer the click");
    if (!tool.WaitIdle()) {
      const std::string box = tool.TakeMessageBox();
      return Fail(what + ": the tool did not become idle" + (box.empty() ? "" : ", it shows: " + box));
    }
    std::wstring got = pad.Text();
    if (got != expected) {
      WaitFor(kTextSettleMs, [&] { return (got = pad.Text()) == expected; });
      if (got != expected) {
        const std::string box = tool.TakeMessageBox();
        return Fail(what + ": notepad holds [" + Shown(got) + "], expected [" + Shown(expected) + "]" +
                    (box.empty() ? "" : "; the tool shows: " + box));
      }
    }
    (linked ? keyMs : messageMs) += NowMs() - writeStart;
    ++(linked ? byKeys : byMessages);
    if (std::string diff = CompareClipboard(user); !diff.empty())
      return Fail(what + ": the user's clipboard is not back: " + diff);
    if (Marked(kWriteMarks, i, count)) tool.PrintMemory(i, "writes");
  }
  const double elapsed = NowMs() - started;

  if (pad.Text() != expected) return Fail("notepad's final text differs");
  std::printf("notepad holds the expected text (%zu characters)\n", expected.size());
  if (std::string diff = CompareClipboard(user); !diff.empty()) return Fail("the user's clipboard: " + diff);
  std::printf("the clipboard holds the user's text, bitmap (CF_DIB) and private format byte for byte\n");
  std::printf("%d writes in %.1f s: by messages %.1f ms each, by keys %.1f ms each, mode switches %.1f ms each\n",
              count, elapsed / 1000, byMessages ? messageMs / byMessages : 0, byKeys ? keyMs / byKeys : 0,
              count ? toggleMs / count : 0);
  pad.Close();
  if (!tool.Close()) return Fail("the tool did not end after WM_CLOSE");
  std::printf("writes %d ok\n", count);
  return 0;
}

// ---- swaps ----------------------------------------------------------------------

int RunSwaps(const std::string& folder, int count) {
  const std::string settings =
      "[Quiltor]\r\nQuiltorData=a.edt\r\nTop=20\r\nLeft=420\r\nHeight=300\r\nActivePage=0\r\n[Setup]\r\nResize=0\r\n";
  if (!WriteFileBytes(folder + "\\Quiltor.ini", settings) || !WriteFileBytes(folder + "\\a.edt", SwapDataFile(3, "a")) ||
      !WriteFileBytes(folder + "\\b.edt", SwapDataFile(2, "b")))
    return Fail("cannot write the settings and data files into " + folder);
  Tool tool;
  if (!tool.Start(folder)) return Fail("the tool did not start and become idle");
  if (tool.TabCount() != 3) return Fail("the first data file shows " + std::to_string(tool.TabCount()) + " tabs");
  if (std::string fault = tool.ShowEveryPage(); !fault.empty()) return Fail("the first data file: " + fault);
  tool.PrintMemory(0, "swaps");
  const double started = NowMs();
  for (int i = 1; i <= count; ++i) {
    const bool toB = i % 2 == 1;
    const std::string what = "swap " + std::to_string(i);
    if (!tool.Forward(toB ? "/db.edt\n" : "/da.edt\n")) return Fail(what + " was not answered");
    if (!tool.WaitIdle()) return Fail("the tool did not become idle after " + what);
    if (tool.TabCount() != (toB ? 2 : 3))
      return Fail("after " + what + " the window shows " + std::to_string(tool.TabCount()) + " tabs");
    if (std::string fault = tool.ShowEveryPage(); !fault.empty()) return Fail("after " + what + ": " + fault);
    if (Marked(kSwapMarks, i, count)) tool.PrintMemory(i, "swaps");
  }
  const double elapsed = NowMs() - started;
  std::printf("%d swaps in %.1f s (%.1f ms each)\n", count, elapsed / 1000, count ? elapsed / count : 0);
  if (!tool.Close()) return Fail("the tool did not end after WM_CLOSE");
  std::printf("swaps %d ok\n", count);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 4) {
    std::printf("usage: qtsoak writes <folder> <n> [messages|keys|toggles] | swaps <folder> <n>\n");
    return 2;
  }
  const std::string verb = argv[1];
  const std::string folder = argv[2];
  const int count = std::atoi(argv[3]);
  if (verb == "writes") {
    const std::string only = argc > 4 ? argv[4] : "";
    const Variant variant = only == "messages" ? Variant::kMessages
                            : only == "keys"   ? Variant::kKeys
                            : only == "toggles" ? Variant::kToggles
                                                : Variant::kBoth;
    return RunWrites(folder, count, variant);
  }
  if (verb == "swaps") return RunSwaps(folder, count);
  std::printf("unknown verb %s\n", verb.c_str());
  return 2;
}
