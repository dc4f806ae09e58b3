// Tests of the entry point: one-shot switches, forwarding to a running
// instance, the exchange objects a running instance publishes and the order
// in which it lets them go.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/instance.h"
#include "exchange/command_line.h"

namespace {

namespace fs = std::filesystem;

std::string WinPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) if (c == '/') c = '\\';
  return path;
}

// A private folder with a copy of Quiltor.exe, so that its settings file is ours.
class AppFolder {
 public:
  explicit AppFolder(const std::string& ini = "") {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = fs::path(temp) / ("qt-instance-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter_++));
    fs::create_directories(folder_);
    fs::copy_file(WinPath(QUILTOR_BUILD_DIR "/Quiltor.exe"), folder_ / "Quiltor.exe",
                  fs::copy_options::overwrite_existing);
    std::ofstream(folder_ / "Quiltor.ini", std::ios::binary) << ini;
  }
  ~AppFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string Exe() const { return (folder_ / "Quiltor.exe").string(); }
  fs::path Folder() const { return folder_; }

 private:
  fs::path folder_;
  static inline int counter_ = 0;
};

struct Started {
  PROCESS_INFORMATION info{};
  bool ok = false;
  DWORD WaitExit(DWORD ms) {
    if (WaitForSingleObject(info.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  void Kill() {
    if (info.hProcess && WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(info.hProcess, 9);
      WaitForSingleObject(info.hProcess, 5000);
    }
  }
  ~Started() {
    Kill();
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
  }
};

void Start(Started& started, const std::string& exe, const std::string& arguments,
           const fs::path& folder) {
  std::string line = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  started.ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.string().c_str(), &startup, &started.info) != FALSE;
}

// Plays the running instance: the mutex and an exchange block that names a
// window of this test, which records what it is sent.
class FakeRunningInstance {
 public:
  explicit FakeRunningInstance(bool publish) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FakeRunningInstance::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QtFakeInstance";
    RegisterClassW(&wc);
    window_ = CreateWindowW(L"QtFakeInstance", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
    mutex_ = CreateMutexA(nullptr, FALSE, "QuiltorMutex");
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 288,
                                  "QuiltorCommonMemory");
    view_ = static_cast<std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    const std::uint32_t handle = publish ? static_cast<std::uint32_t>(
                                               reinterpret_cast<std::uintptr_t>(window_))
                                         : 0;
    std::memcpy(view_, &handle, 4);
    received.clear();
    messages = 0;
  }
  ~FakeRunningInstance() {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
    CloseHandle(mutex_);
    DestroyWindow(window_);
  }
  // Pumps messages until the process ends.
  DWORD PumpUntilExit(Started& started, DWORD ms) {
    const auto end = GetTickCount() + ms;
    while (GetTickCount() < end) {
      DWORD code = started.WaitExit(0);
      if (code != STILL_ACTIVE) return code;
      MsgWaitForMultipleObjects(1, &started.info.hProcess, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return STILL_ACTIVE;
  }

  static inline std::string received;
  static inline ULONG_PTR dwData = 0;
  static inline int messages = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      ++messages;
      dwData = data->dwData;
      received.assign(static_cast<const char*>(data->lpData), data->cbData);
      return TRUE;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  HWND window_ = nullptr;
  HANDLE mutex_ = nullptr;
  HANDLE mapping_ = nullptr;
  std::uint8_t* view_ = nullptr;
};

TEST(Environment, WineRunsWithTheJapaneseCodePage) { EXPECT_EQ(GetACP(), 932u); }

TEST(Instance, SecondStartForwardsItsArgumentsAndExits) {
  AppFolder app;
  FakeRunningInstance instance(/*publish=*/true);
  Started second;
  Start(second, app.Exe(), "/dsample.edt /fC:\\a.txt", app.Folder());
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(instance.PumpUntilExit(second, 30000), 1u);
  EXPECT_EQ(FakeRunningInstance::messages, 1);
  EXPECT_EQ(FakeRunningInstance::dwData & 0xFFFFFFFFu, 0xFFFFFFFFu);
  EXPECT_EQ(FakeRunningInstance::received, std::string("/dsample.edt\n/fC:\\a.txt\n\0", 25));
}

TEST(Instance, SecondStartWithoutArgumentsForwardsAnEmptyText) {
  AppFolder app;
  FakeRunningInstance instance(true);
  Started second;
  Start(second, app.Exe(), "", app.Folder());
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(instance.PumpUntilExit(second, 30000), 1u);
  EXPECT_EQ(FakeRunningInstance::received, std::string("\0", 1));
}

TEST(Instance, StartDuringTheFirstStartExitsWithoutSending) {
  AppFolder app;
  FakeRunningInstance instance(/*publish=*/false);
  Started second;
  Start(second, app.Exe(), "/dsample.edt", app.Folder());
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(instance.PumpUntilExit(second, 30000), 1u);
  EXPECT_EQ(FakeRunningInstance::messages, 0);
}

TEST(Instance, OpenSwitchOfAMissingFileExitsZeroWithoutTheMutex) {
  AppFolder app;
  Started run;
  Start(run, app.Exe(), "/XC:\\no\\such\\file.txt", app.Folder());
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.WaitExit(30000), 0u);
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "QuiltorMutex");
  EXPECT_EQ(mutex, nullptr);
  if (mutex) CloseHandle(mutex);
}

TEST(Instance, ProgramSwitchQuotesFurtherArgumentsOneByOne) {
  AppFolder app;
  const std::string echo = WinPath(QUILTOR_BUILD_DIR "/qtecho.exe");
  const std::string out = (app.Folder() / "line.txt").string();
  Started run;
  Start(run, app.Exe(), "\"/P" + echo + " " + out + "\" a \"b c\"", app.Folder());
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.WaitExit(30000), 0u);
  std::string line;
  for (int i = 0; i < 100 && line.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(out, std::ios::binary);
    std::getline(in, line, '\0');
  }
  EXPECT_EQ(line, echo + " " + out + " \"a\" \"b c\"");
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "QuiltorMutex"), nullptr);
}

// Reads what a module would read: the three objects opened by name.
struct ModuleView {
  std::uint8_t block[288] = {};
  std::size_t size1 = 0, size2 = 0;
  bool ok = false;
  void Read() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "QuiltorCommonMemory");
    if (!mapping) return;
    if (auto* view = static_cast<std::uint8_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 288))) {
      std::memcpy(block, view, 288);
      UnmapViewOfFile(view);
      ok = true;
    }
    CloseHandle(mapping);
    for (auto [name, size] : {std::pair{"QuiltorCommonMemory1", &size1},
                              std::pair{"QuiltorCommonMemory2", &size2}}) {
      HANDLE buffer = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
      if (!buffer) {
        ok = false;
        continue;
      }
      *size = 1;
      CloseHandle(buffer);
    }
  }
  std::uint32_t U32(std::size_t offset) const {
    std::uint32_t v;
    std::memcpy(&v, block + offset, 4);
    return v;
  }
};

// Waits until a started instance has published its window.
HWND WaitForPublishedWindow(Started& run, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    ModuleView view;
    view.Read();
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(view.U32(0)));
    if (view.ok && window && IsWindow(window)) return window;
    if (run.WaitExit(100) != STILL_ACTIVE) return nullptr;
  }
  return nullptr;
}

void CloseInstance(Started& run, HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (run.WaitExit(15000) == STILL_ACTIVE) run.Kill();
}

TEST(Instance, RunningInstancePublishesItsExchangeObjects) {
  const struct { const char* crlf; std::vector<std::uint8_t> lineEnd; } cases[] = {
      {"", {13, 10, 0}}, {"CRLF=0\r\n", {13, 0}}, {"CRLF=1\r\n", {10, 0}}};
  for (const auto& c : cases) {
    AppFolder app(std::string("[Setup]\r\n") + c.crlf);
    Started run;
    Start(run, app.Exe(), "", app.Folder());
    ASSERT_TRUE(run.ok);
    HWND window = WaitForPublishedWindow(run, 30000);
    ASSERT_NE(window, nullptr) << "no window published";
    ModuleView view;
    view.Read();
    ASSERT_TRUE(view.ok);
    EXPECT_EQ(std::vector<std::uint8_t>(view.block + 4, view.block + 4 + c.lineEnd.size()), c.lineEnd);
    EXPECT_EQ(view.U32(280), 1024u);
    EXPECT_EQ(view.U32(284), 1024u);
    EXPECT_TRUE(std::all_of(view.block + 8, view.block + 264, [](auto b) { return b == 0; }));
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "QuiltorMutex");
    EXPECT_NE(mutex, nullptr);
    if (mutex) CloseHandle(mutex);
    CloseInstance(run, window);
  }
}

// The message box a running instance shows, found by its text.
HWND FindMessageBox(DWORD processId, const wchar_t* text) {
  struct Search { DWORD pid; const wchar_t* text; HWND found; } search{processId, text, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        wchar_t cls[32] = {};
        GetClassNameW(window, cls, 32);
        if (pid != s->pid || std::wcscmp(cls, L"#32770") != 0) return TRUE;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM p) -> BOOL {
              auto* s2 = reinterpret_cast<Search*>(p);
              wchar_t buffer[256] = {};
              GetWindowTextW(child, buffer, 256);
              if (std::wcscmp(buffer, s2->text) == 0) {
                s2->found = GetAncestor(child, GA_ROOT);
                return FALSE;
              }
              return TRUE;
            },
            param);
        return s->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Instance, TakenHotKeyShowsItsMessageAndTheOtherStillRegisters) {
  // Ctrl+Alt+Q is taken here, so the tool cannot register its re-edit key.
  HWND holder = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(RegisterHotKey(holder, 7, MOD_CONTROL | MOD_ALT, 'Q'));
  // A tool of an earlier test may still be on its way out with Ctrl+Alt+W.
  bool free = false;
  for (int i = 0; i < 150 && !free; ++i) {
    free = RegisterHotKey(holder, 8, MOD_CONTROL | MOD_ALT, 'W') != FALSE;
    if (free) UnregisterHotKey(holder, 8);
    else Sleep(100);
  }
  ASSERT_TRUE(free) << "Ctrl+Alt+W is held by another program";
  AppFolder app("[Setup]\r\nHotKeyR=1\r\nHotKeyR1=3\r\nHotKeyR2=Q\r\nHotKeyA=1\r\nHotKeyA1=3\r\nHotKeyA2=W\r\n");
  Started run;
  Start(run, app.Exe(), "", app.Folder());
  ASSERT_TRUE(run.ok);
  HWND box = nullptr;
  for (int i = 0; i < 300 && !box; ++i) {
    box = FindMessageBox(run.info.dwProcessId, L"再編集ホットキーの登録に失敗しました");
    if (!box) Sleep(100);
  }
  ASSERT_NE(box, nullptr) << "no hot-key message shown";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  // Once the message is answered the activate hot key is the tool's: nobody
  // else can take it, and it raised no message of its own.
  bool taken = false;
  for (int i = 0; i < 100 && !taken; ++i) {
    taken = !RegisterHotKey(holder, 8, MOD_CONTROL | MOD_ALT, 'W');
    if (!taken) {
      UnregisterHotKey(holder, 8);
      Sleep(100);
    }
  }
  EXPECT_TRUE(taken);
  EXPECT_EQ(FindMessageBox(run.info.dwProcessId, L"アクティブホットキーの登録に失敗しました"), nullptr);
  HWND window = WaitForPublishedWindow(run, 10000);
  CloseInstance(run, window);
  UnregisterHotKey(holder, 7);
  DestroyWindow(holder);
}

// Stands in for the paging-file objects and notes, as each region goes,
// whether a start at that moment would still find the lock.
class LockWatchingMemory : public quiltor::SharedMemory {
 public:
  std::vector<bool> lockHeldAtRelease;

  std::unique_ptr<quiltor::SharedRegion> Create(const std::string&, std::size_t size) override {
    return std::make_unique<Region>(*this, size);
  }
  std::unique_ptr<quiltor::SharedRegion> OpenForReading(const std::string&) override {
    return nullptr;
  }

 private:
  class Region : public quiltor::SharedRegion {
   public:
    Region(LockWatchingMemory& owner, std::size_t size) : owner_(owner), bytes_(size) {}
    ~Region() override {
      HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, quiltor::kInstanceMutexName);
      owner_.lockHeldAtRelease.push_back(lock != nullptr);
      if (lock) CloseHandle(lock);
    }
    std::uint8_t* Data() override { return bytes_.data(); }
    std::size_t Size() const override { return bytes_.size(); }

   private:
    LockWatchingMemory& owner_;
    std::vector<std::uint8_t> bytes_;
  };
};

TEST(Instance, LockIsGoneBeforeTheExchangeAreaIsReleased) {
  LockWatchingMemory memory;
  {
    auto mutex = quiltor::CreateInstanceMutex();
    ASSERT_TRUE(mutex.has_value());
    quiltor::RunningInstance instance(std::move(*mutex), memory);
    ASSERT_TRUE(instance.Exchange().CreateExchangeBlock());
    instance.Exchange().StoreBufferSizes(1024, 1024);
    ASSERT_TRUE(instance.Exchange().CreateTransferBuffers());
  }
  EXPECT_EQ(memory.lockHeldAtRelease, (std::vector<bool>{false, false, false}));
}

}  // namespace
