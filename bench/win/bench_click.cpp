// The tool's own cost of one click, seen from outside: the running Quiltor.exe
// is sent the command its item button sends on a click, and the time until
// Wine's notepad holds the text is set against the message write alone (the
// same routine called here, into the same notepad), with a small and a large
// data file, and with the small one in linked mode, notepad's edit window
// handed to the tool at its start as another program would. A click on an
// item with empty texts shows the tool's work without the write, which is far
// less noisy than a difference of two writes. The last case clicks items
// with only a caret in notepad, writing by keys as the default settings do: a
// before text alone, and a before and an after text. With QUILTOR_BASELINE_EXE naming another build of the tool, that
// case runs with it too in the same run, and both are printed. Prints
// figures; asserts nothing.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "delivery/delivery.h"
#include "figures.h"
#include "platform/win32/files.h"
#include "platform/win32/platform.h"
#include "tools/outside.h"

namespace {

using namespace quiltor::outside;

namespace fs = std::filesystem;

const int kRepetitions = quiltor::bench::Count(41, 3);
const int kWarmUps = quiltor::bench::Count(3, 1);
// The watch timer runs every Timer + TimerEZ ms in simple mode.
constexpr int kTimer = 100;
constexpr int kTimerEZ = 200;
constexpr DWORD kArrivalLimitMs = 3000;

// The item's texts as the data file holds them, and as the editor gets them.
constexpr char kBeforeRaw[] = "<p>";
constexpr char kAfterRaw[] = "</p>\\n";
const std::string kBefore = "<p>";
const std::string kAfter = "</p>\r\n";
constexpr char kStartText[] = "hello xyz world";
const std::string kExpected = "hello <p>xyz</p>\r\n world";
// The items at a caret after "hello ".
const std::string kExpectedBeforeAlone = "hello <p>xyz world";
const std::string kExpectedPair = "hello <p></p>\r\nxyz world";

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

std::string WinPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// CP932 text from UTF-8 source literals.
std::string Ansi(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  int m = WideCharToMultiByte(932, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(932, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

// Row captions are unique, so the button to press is found by its caption.
std::string Caption(int page, int row) { return "定型文 " + std::to_string(page) + "-" + std::to_string(row); }

// Text items whose texts are both empty write nothing, so a click on one is
// the tool's work alone.
bool EmptyTextRow(int rows, int row) { return rows < 10 ? row == 1 : row % 10 == 7; }
// In a small file the third row has a before text alone.
bool BeforeAloneRow(int rows, int row) { return rows < 10 && row == 2; }

// A data file of `pages` x `rows` in the shape of the start benchmark's:
// text, script and module rows with side buttons, menus and separators. Every
// row but the empty ones has the same two texts, so every text item writes the
// same.
std::string DataFile(int pages, int rows) {
  char line[128];
  std::string out = "[Version]\r\nNo=170\r\n[Group]\r\nCount=" + std::to_string(pages) + "\r\nTitle=大きなデータ\r\n";
  for (int p = 0; p < pages; ++p) {
    std::snprintf(line, sizeof line, "[Menu%02d]\r\nTitle=ページ%d\r\nCount=%d\r\n", p, p, rows);
    out += line;
    for (int r = 0; r < rows; ++r) {
      const int kind = rows < 10 ? 0 : r % 10;
      if (kind == 9) {
        std::snprintf(line, sizeof line, "M%02d=-\r\n", r);
      } else if (kind == 8) {
        std::snprintf(line, sizeof line, "M%02d=13,02,メニュー%d\r\nM%02d00=00,項目A\r\nM%02d01=00,項目B\r\n", r, r, r, r);
      } else {
        std::snprintf(line, sizeof line, "M%02d=%02d,%s\r\nS%02d=%02d,side\r\n", r, EmptyTextRow(rows, r) ? 0 : kind,
                      Caption(p, r).c_str(), r, 7 + kind % 6);
      }
      out += line;
    }
    std::snprintf(line, sizeof line, "[Edit%02d]\r\n", p);
    out += line;
    for (int r = 0; r < rows; ++r) {
      const bool empty = EmptyTextRow(rows, r);
      std::snprintf(line, sizeof line, "M%02da=%s\r\nM%02db=%s\r\n", r, empty ? "" : kBeforeRaw, r,
                    empty || BeforeAloneRow(rows, r) ? "" : kAfterRaw);
      out += line;
    }
  }
  return Ansi(out);
}

enum class Mode { kSimple, kLinked };

// The tool starts on `page`: a page's buttons exist once it has been shown.
// Both modes write by messages at once, unless `byKeys` (simple mode).
std::string Settings(int page, Mode mode, bool byKeys = false) {
  return "[Quiltor]\r\nQuiltorData=d.edt\r\nTop=20\r\nLeft=420\r\nHeight=400\r\nActivePage=" +
         std::to_string(page) + "\r\nMode=" + (mode == Mode::kLinked ? "1" : "0") +
         "\r\n"
         "[Setup]\r\nPasteKindEZ=" + (byKeys ? "1" : "0") +
         "\r\nPasteIntervalEZ=0\r\nPasteKind=0\r\nPasteInterval=0\r\nTimer=" + std::to_string(kTimer) +
         "\r\nTimerEZ=" + std::to_string(kTimerEZ) + "\r\nResize=0\r\n";
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

HWND TopWindowOf(DWORD process, const wchar_t* className) {
  struct Search {
    DWORD process;
    const wchar_t* className;
    HWND found;
  } search{process, className, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->process || ClassOf(w) != s->className) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A started program that is ended when it goes out of scope, by force: a
// window program's own close waits under Wine without a window manager
// about 2 s per window it hides, and is not what is measured here.
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

// What a click on an item button sends: the command from the button's tool
// bar to the bar's parent.
struct ItemButton {
  HWND bar = nullptr;
  int command = 0;
};

// The main-column button of `row` whose caption is `caption`, on any page.
ItemButton FindButton(HWND main, int row, const std::wstring& caption) {
  HWND tabs = FindChildNamed(main, L"PageControl");
  if (!tabs) return {};
  for (HWND box = GetWindow(tabs, GW_CHILD); box; box = GetWindow(box, GW_HWNDNEXT)) {
    if (ClassOf(box) != L"QuiltorPageBox") continue;
    HWND bar = FindWindowExW(box, nullptr, TOOLBARCLASSNAMEW, L"ToolBarMain");
    if (!bar) continue;
    RemoteBuffer remote(bar, 4096);
    if (!remote.Ok()) return {};
    TBBUTTON button{};
    if (!SendMessageW(bar, TB_GETBUTTON, static_cast<WPARAM>(row), remote.Address())) continue;
    remote.Read(&button, sizeof button);
    wchar_t text[256] = {};
    LRESULT length = SendMessageW(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), remote.Address());
    if (length <= 0 || length >= 250) continue;
    remote.Read(text, static_cast<size_t>(length + 1) * sizeof(wchar_t));
    // Captions are shown padded with blanks.
    std::wstring shown(text);
    shown.erase(0, shown.find_first_not_of(L' '));
    shown.erase(shown.find_last_not_of(L' ') + 1);
    if (shown == caption) return ItemButton{bar, button.idCommand};
  }
  return {};
}

std::string EditText(HWND edit) {
  char text[256] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Time from `act` until the editor holds the expected text; a negative value
// when it never did.
double TimeToText(HWND edit, const std::function<void()>& act, const std::string& expected = kExpected) {
  const double start = NowMs();
  act();
  while (EditText(edit) != expected) {
    if (NowMs() - start > kArrivalLimitMs) return -1;
  }
  return NowMs() - start;
}

struct Editor {
  HWND top = nullptr;
  HWND edit = nullptr;
  int refocused = 0;

  void Reset(int selectionEnd = 9) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kStartText));
    SendMessageA(edit, EM_SETSEL, 6, selectionEnd);
  }
  // The tool writes into the window that last had the focus outside it: if
  // something else came to the front, notepad is brought back and the watch
  // timer given time to see it.
  bool EnsureTarget() {
    if (GetForegroundWindow() == top) return true;
    ++refocused;
    SetForegroundWindow(top);
    Sleep(2 * (kTimer + kTimerEZ) + 100);
    return GetForegroundWindow() == top;
  }
};

struct CaseResult {
  bool ok = false;
  double click = 0, delivery = 0, overhead = 0, empty = 0, roundTrip = 0;
  int failures = 0;
};

// One tool in a folder of its own with `data`, clicked `kRepetitions` times,
// each click next to a message write alone, a click on an item with empty
// texts (`emptyRow`) and a bare message to the tool.
CaseResult RunCase(const fs::path& folder, const std::string& data, int page, int row, int emptyRow, Mode mode,
                   Editor& editor, quiltor::DeliveryRoutines& routines, const char* label) {
  CaseResult result;
  fs::create_directories(folder);
  std::error_code error;
  // QUILTOR_TOOL_EXE names another build of the tool, to compare two in one run.
  const char* other = std::getenv("QUILTOR_TOOL_EXE");
  fs::copy_file(WinPath(other ? other : QUILTOR_BUILD_DIR "/Quiltor.exe"), folder / "Quiltor.exe",
                fs::copy_options::overwrite_existing, error);
  if (error || !WriteBytes(folder / "Quiltor.ini", Settings(page, mode)) || !WriteBytes(folder / "d.edt", data)) {
    std::printf("bench_click: cannot prepare %s\n", folder.string().c_str());
    return result;
  }
  std::string commandLine = "\"" + (folder / "Quiltor.exe").string() + "\"";
  // Linked mode: notepad's edit window and a file handed over at the start.
  if (mode == Mode::kLinked) {
    commandLine += " /h" + std::to_string(reinterpret_cast<std::uintptr_t>(editor.edit)) + " \"/f" +
                   (folder / "linked.txt").string() + "\"";
  }
  Program tool;
  if (!tool.Start(commandLine, folder.string())) {
    std::printf("bench_click: Quiltor.exe did not start\n");
    return result;
  }
  HWND main = WaitUntilSettled([&] { return TopWindowOf(tool.Id(), L"TFormMain"); }, 60000);
  const ItemButton button = main ? FindButton(main, row, Wide(Caption(page, row))) : ItemButton{};
  const ItemButton emptyButton = main ? FindButton(main, emptyRow, Wide(Caption(page, emptyRow))) : ItemButton{};
  if (!button.bar || !emptyButton.bar) {
    std::printf("bench_click: %s: %s\n", label, main ? "item button not found" : "tool window not ready");
    return result;
  }
  HWND box = GetParent(button.bar);
  const WPARAM command = MAKEWPARAM(button.command, BN_CLICKED);
  const quiltor::WindowId target = static_cast<quiltor::WindowId>(reinterpret_cast<std::uintptr_t>(editor.edit));

  auto click = [&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(box, WM_COMMAND, command, reinterpret_cast<LPARAM>(button.bar), SMTO_NORMAL, 5000, &ignored);
  };
  auto deliver = [&] { routines.DeliverByMessages(target, kBefore, kAfter, 0, 0); };
  // Lets the tool finish its idle step (clipboard, focus, watch timer)
  // before the next measurement starts.
  auto settle = [&] {
    Sleep(30);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  };

  SetForegroundWindow(editor.top);
  Sleep(2 * (kTimer + kTimerEZ) + 100);
  std::vector<double> clicks, deliveries, overheads, empties, trips;
  for (int i = 0; i < kWarmUps + kRepetitions; ++i) {
    if (!editor.EnsureTarget()) {
      std::printf("bench_click: %s: notepad does not stay in front\n", label);
      break;
    }
    double clickMs = 0, deliveryMs = 0;
    auto measureClick = [&] {
      editor.Reset();
      clickMs = TimeToText(editor.edit, click);
      settle();
    };
    auto measureDelivery = [&] {
      editor.Reset();
      deliveryMs = TimeToText(editor.edit, deliver);
      Sleep(30);
    };
    // Alternating the order keeps a drift of the machine out of the difference.
    if (i % 2 == 0) {
      measureClick();
      measureDelivery();
    } else {
      measureDelivery();
      measureClick();
    }
    // The empty item: the answer to the command is the end of the tool's work.
    editor.Reset();
    DWORD_PTR ignored = 0;
    const double emptyStart = NowMs();
    SendMessageTimeoutW(box, WM_COMMAND, MAKEWPARAM(emptyButton.command, BN_CLICKED),
                        reinterpret_cast<LPARAM>(emptyButton.bar), SMTO_NORMAL, 5000, &ignored);
    const double emptyMs = NowMs() - emptyStart;
    const bool wroteNothing = EditText(editor.edit) == kStartText;
    settle();
    const double tripStart = NowMs();
    SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    const double tripMs = NowMs() - tripStart;
    if (i < kWarmUps) continue;
    if (clickMs < 0 || deliveryMs < 0 || !wroteNothing) {
      ++result.failures;
      continue;
    }
    clicks.push_back(clickMs);
    deliveries.push_back(deliveryMs);
    overheads.push_back(clickMs - deliveryMs);
    empties.push_back(emptyMs);
    trips.push_back(tripMs);
  }
  editor.Reset();
  if (clicks.empty()) {
    std::printf("bench_click: %s: no click wrote its text into notepad\n", label);
    return result;
  }
  result.ok = true;
  result.click = Median(clicks);
  result.delivery = Median(deliveries);
  // The median of the pairs' differences: the two of a pair ran side by side.
  result.overhead = Median(overheads);
  result.empty = Median(empties);
  result.roundTrip = Median(trips);
  return result;
}

// Closes a message box the tool shows (the build refused the write).
void CloseToolBoxes(DWORD process) {
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == static_cast<DWORD>(p) && ClassOf(w) == L"#32770") PostMessageW(w, WM_COMMAND, IDOK, 0);
        return TRUE;
      },
      static_cast<LPARAM>(process));
}

struct CaretResult {
  bool ok = false;
  double beforeAlone = -1;  // median click to text; -1: never arrived
  double pair = -1;
  int pairFailures = 0;
};

// Items clicked with only a caret in notepad, writing by keys (the default
// paste kind, no interval): the before text alone, and the before and after
// texts. A build that writes nothing for the pair is tried once with it.
CaretResult RunCaretCase(const fs::path& folder, const std::string& data, const std::string& exe, Editor& editor,
                         const char* label) {
  CaretResult result;
  fs::create_directories(folder);
  std::error_code error;
  fs::copy_file(WinPath(exe), folder / "Quiltor.exe", fs::copy_options::overwrite_existing, error);
  if (error || !WriteBytes(folder / "Quiltor.ini", Settings(0, Mode::kSimple, /*byKeys=*/true)) ||
      !WriteBytes(folder / "d.edt", data)) {
    std::printf("bench_click: cannot prepare %s\n", folder.string().c_str());
    return result;
  }
  Program tool;
  if (!tool.Start("\"" + (folder / "Quiltor.exe").string() + "\"", folder.string())) {
    std::printf("bench_click: %s: Quiltor.exe did not start\n", label);
    return result;
  }
  HWND main = WaitUntilSettled([&] { return TopWindowOf(tool.Id(), L"TFormMain"); }, 60000);
  const ItemButton pair = main ? FindButton(main, 0, Wide(Caption(0, 0))) : ItemButton{};
  const ItemButton alone = main ? FindButton(main, 2, Wide(Caption(0, 2))) : ItemButton{};
  if (!pair.bar || !alone.bar) {
    std::printf("bench_click: %s: %s\n", label, main ? "item button not found" : "tool window not ready");
    return result;
  }
  auto clickOn = [&](const ItemButton& button) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetParent(button.bar), WM_COMMAND, MAKEWPARAM(button.command, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button.bar), SMTO_NORMAL, 5000, &ignored);
  };
  // The idle step gives the user's clipboard back after the paste was read.
  auto settle = [&] {
    Sleep(50);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
  };
  SetForegroundWindow(editor.top);
  Sleep(2 * (kTimer + kTimerEZ) + 100);
  std::vector<double> alones, pairs;
  bool pairRefused = false;
  for (int i = 0; i < kWarmUps + kRepetitions; ++i) {
    if (!editor.EnsureTarget()) {
      std::printf("bench_click: %s: notepad does not stay in front\n", label);
      break;
    }
    editor.Reset(6);
    const double aloneMs = TimeToText(editor.edit, [&] { clickOn(alone); }, kExpectedBeforeAlone);
    settle();
    double pairMs = -1;
    if (!pairRefused) {
      editor.Reset(6);
      pairMs = TimeToText(editor.edit, [&] { clickOn(pair); }, kExpectedPair);
      if (pairMs < 0) {
        // A message box: this build refuses the pair at a caret.
        pairRefused = true;
        CloseToolBoxes(tool.Id());
      }
      settle();
    }
    if (i < kWarmUps) continue;
    if (aloneMs >= 0) alones.push_back(aloneMs);
    if (pairMs >= 0) pairs.push_back(pairMs);
    if (!pairRefused && pairMs < 0) ++result.pairFailures;
  }
  editor.Reset();
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (!tool.WaitEnd(15000)) std::printf("bench_click: %s: the tool did not end after WM_CLOSE\n", label);
  result.ok = !alones.empty();
  result.beforeAlone = alones.empty() ? -1 : Median(alones);
  result.pair = pairs.empty() ? -1 : Median(pairs);
  return result;
}

void PrintCaretCase(const char* build, const CaretResult& r) {
  if (!r.ok) {
    std::printf("%s: no click wrote its text at the caret\n", build);
    return;
  }
  const std::string prefix = std::string("click.caret_") + build;
  quiltor::bench::Figure((prefix + "_before_alone").c_str(), r.beforeAlone, "ms");
  if (r.pair < 0) {
    std::printf("%s: before and after never written (the build refuses it)\n", build);
  } else {
    quiltor::bench::Figure((prefix + "_before_and_after").c_str(), r.pair, "ms");
  }
}

struct ReadCost {
  double total = 0, file = 0;
};

// The per-click data-file read on its own, in this process: the file is read
// again and the two texts are looked up, as the tool does at each click; and
// the file read alone.
ReadCost ReadTextsMs(const fs::path& path, int page, int row) {
  quiltor::Win32FileSystem files;
  char key[8];
  std::snprintf(key, sizeof key, "M%02d", row);
  std::vector<double> totals, reads;
  for (int i = 0; i < kRepetitions; ++i) {
    double start = NowMs();
    const auto texts = quiltor::ReadItemTexts(files, path.string(), page, key);
    totals.push_back(NowMs() - start);
    if (!texts || texts->a != kBeforeRaw) return {-1, -1};
    start = NowMs();
    const auto contents = files.ReadAll(path.string());
    reads.push_back(NowMs() - start);
  }
  return {Median(totals), Median(reads)};
}

}  // namespace

int main() {
  // With no window manager the X focus follows the pointer; keep it off the windows.
  SetCursorPos(1279, 1023);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const fs::path root = fs::path(temp) / ("quiltor-bench-click-" + std::to_string(GetCurrentProcessId()));

  Program notepad;
  if (!notepad.Start("notepad.exe", "")) {
    std::printf("bench_click: notepad did not start\n");
    return 1;
  }
  Editor editor;
  for (int i = 0; i < 200 && !editor.edit; ++i) {
    editor.top = TopWindowOf(notepad.Id(), L"Notepad");
    if (editor.top) editor.edit = FindWindowExW(editor.top, nullptr, L"Edit", nullptr);
    if (!editor.edit) Sleep(50);
  }
  if (!editor.edit) {
    std::printf("bench_click: notepad's edit window not found\n");
    return 1;
  }

  quiltor::Win32Platform platform;
  quiltor::DeliveryRoutines routines(*platform.clipboard, *platform.windows, *platform.keyboard, *platform.processes);

  // 10 000 items; a smoke run takes 1 000. The large case clicks the last text item of the file.
  const int largePages = quiltor::bench::Count(100, 10);
  const int kLargePage = largePages - 1, kLargeRow = 90;
  const std::string small = DataFile(1, 3);
  const std::string large = DataFile(largePages, 100);
  const CaseResult s = RunCase(root / "small", small, 0, 0, 1, Mode::kSimple, editor, routines, "small data file");
  const CaseResult l = RunCase(root / "large", large, kLargePage, kLargeRow, kLargeRow + 7, Mode::kSimple, editor,
                               routines, "large data file");
  const CaseResult k =
      RunCase(root / "linked", small, 0, 0, 1, Mode::kLinked, editor, routines, "linked mode, small data file");
  const char* other = std::getenv("QUILTOR_TOOL_EXE");
  const std::string thisBuild = other ? other : QUILTOR_BUILD_DIR "/Quiltor.exe";
  const CaretResult caret = RunCaretCase(root / "caret", small, thisBuild, editor, "this build");
  const char* baselineExe = std::getenv("QUILTOR_BASELINE_EXE");
  const CaretResult baseline =
      baselineExe ? RunCaretCase(root / "caret-baseline", small, baselineExe, editor, "baseline") : CaretResult{};
  const ReadCost readSmall = ReadTextsMs(root / "small" / "d.edt", 0, 0);
  const ReadCost readLarge = ReadTextsMs(root / "large" / "d.edt", kLargePage, kLargeRow);

  std::error_code ignored;
  fs::remove_all(root, ignored);

  if (!s.ok || !l.ok || !k.ok) return 1;
  using quiltor::bench::Figure;
  Figure("click.to_text_small_file", s.click, "ms");
  Figure("click.delivery_alone_small_file", s.delivery, "ms");
  Figure("click.overhead_small_file", s.overhead, "ms");
  Figure("click.to_text_large_file", l.click, "ms");
  Figure("click.delivery_alone_large_file", l.delivery, "ms");
  Figure("click.overhead_large_file", l.overhead, "ms", "<5");
  Figure("click.overhead_large_minus_small", l.overhead - s.overhead, "ms");
  Figure("click.to_text_large_to_small", l.click / s.click, "x");
  Figure("click.to_text_linked", k.click, "ms");
  Figure("click.overhead_linked", k.overhead, "ms");
  Figure("click.overhead_linked_minus_simple", k.overhead - s.overhead, "ms", "<=1");
  Figure("click.to_text_linked_to_simple", k.click / s.click, "x");
  // The tool's work without the write: an item with empty texts, from the command to its answer.
  Figure("click.work_without_write_small_file", s.empty, "ms");
  Figure("click.work_without_write_large_file", l.empty, "ms");
  Figure("click.work_without_write_linked", k.empty, "ms");
  Figure("click.message_round_trip_small_file", s.roundTrip, "ms");
  Figure("click.message_round_trip_large_file", l.roundTrip, "ms");
  Figure("click.file_read_and_lookup_small_file", readSmall.total, "ms");
  Figure("click.file_read_and_lookup_large_file", readLarge.total, "ms");
  Figure("click.file_read_large_file", readLarge.file, "ms");
  std::printf("data files of %zu and %zu bytes\n", small.size(), large.size());
  PrintCaretCase("this_build", caret);
  if (baselineExe) {
    PrintCaretCase("baseline", baseline);
    if (caret.ok && baseline.ok)
      Figure("click.caret_before_alone_baseline_to_this_build", baseline.beforeAlone / caret.beforeAlone, "x");
  }
  if (s.failures + l.failures + k.failures + editor.refocused > 0)
    std::printf("(%d round(s) left out: a text did not arrive or an empty item wrote; notepad brought back to the front "
                "%d time(s))\n",
                s.failures + l.failures + k.failures, editor.refocused);
  return 0;
}
