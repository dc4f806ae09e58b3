#include "platform/win32/clipboard.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace quiltor {
namespace {

constexpr DWORD kJapaneseLocale = 0x0411;
constexpr UINT kJapaneseCodePage = 932;

// Other programs open the clipboard for a moment after every change (monitors,
// the clipboard history, Wine's bridge to the X selection); such a short hold
// is waited out rather than reported.
constexpr ULONGLONG kOpenRetryMs = 50;

bool OpenWithin(HWND window) {
  const ULONGLONG start = GetTickCount64();
  while (!OpenClipboard(window)) {
    if (GetTickCount64() - start >= kOpenRetryMs) return false;
    Sleep(2);
  }
  return true;
}

// Holds the clipboard open for one operation.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND window = nullptr) : open_(OpenWithin(window)) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// A movable global block until the clipboard takes it over.
class GlobalBlock {
 public:
  explicit GlobalBlock(std::size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1)) {}
  ~GlobalBlock() {
    if (handle_) GlobalFree(handle_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  bool Fill(const void* data, std::size_t size) {
    if (!handle_) return false;
    void* target = GlobalLock(handle_);
    if (!target) return false;
    if (size) std::memcpy(target, data, size);
    GlobalUnlock(handle_);
    return true;
  }
  // Hands the block to the clipboard; it is the clipboard's after success.
  bool SetAs(UINT format) {
    if (!handle_ || !SetClipboardData(format, handle_)) return false;
    handle_ = nullptr;
    return true;
  }

 private:
  HGLOBAL handle_;
};

class GlobalLockScope {
 public:
  explicit GlobalLockScope(HANDLE handle) : handle_(handle), data_(handle ? GlobalLock(handle) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(handle_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const char* Data() const { return static_cast<const char*>(data_); }

 private:
  HANDLE handle_;
  void* data_;
};

bool PutBytes(UINT format, const void* data, std::size_t size) {
  GlobalBlock block(size);
  return block.Fill(data, size) && block.SetAs(format);
}

bool PutEnhancedMetafile(const std::string& bits) {
  HENHMETAFILE metafile =
      SetEnhMetaFileBits(static_cast<UINT>(bits.size()), reinterpret_cast<const BYTE*>(bits.data()));
  if (!metafile) return false;
  if (SetClipboardData(CF_ENHMETAFILE, metafile)) return true;
  DeleteEnhMetaFile(metafile);
  return false;
}

std::wstring ToUtf16(const Bytes& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kJapaneseCodePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  if (length > 0) MultiByteToWideChar(kJapaneseCodePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

// The formats the system makes from one another. Only one of a family is
// kept; the system makes the others again from it after a restore, and asking
// for a made one would only make the owner render its source.
enum class Family { kNone, kText, kBitmap, kMetafile };

Family FamilyOf(UINT format) {
  switch (format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT:
      return Family::kText;
    case CF_BITMAP:
    case CF_DIB:
    case CF_DIBV5:
    case CF_PALETTE:
      return Family::kBitmap;
    case CF_METAFILEPICT:
    case CF_ENHMETAFILE:
      return Family::kMetafile;
    default:
      return Family::kNone;
  }
}

// Formats whose handle is a memory block the tool can copy byte by byte, or
// an enhanced metafile copied by its bits. A bitmap is still kept through its
// CF_DIB form, and a metafile picture through its enhanced form.
bool IsCopyableFormat(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_METAFILEPICT:
    case CF_PALETTE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
      return false;
    default:
      break;
  }
  if (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) return false;
  if (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST) return false;
  return true;
}

// The cheap and precious formats are asked for first, the pictures, which
// a delaying owner may take long to draw, last.
int AskOrder(UINT format) {
  switch (FamilyOf(format)) {
    case Family::kText: return 0;
    case Family::kBitmap:
    case Family::kMetafile: return 2;
    default: return format == CF_LOCALE || format == CF_HDROP ? 0 : 1;
  }
}

ClipboardFormatName NameOf(UINT format) {
  ClipboardFormatName name;
  name.id = format;
  if (format >= 0xC000) {
    char text[256] = {};
    const int length = GetClipboardFormatNameA(format, text, sizeof text);
    if (length > 0) name.name.assign(text, static_cast<std::size_t>(length));
  }
  return name;
}

// Copies one format while the clipboard is open; nullopt when its handle
// could not be had or read.
std::optional<std::string> CopyFormat(UINT format) {
  HANDLE handle = GetClipboardData(format);
  if (!handle) return std::nullopt;
  if (format == CF_ENHMETAFILE) {
    auto metafile = static_cast<HENHMETAFILE>(handle);
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    if (size == 0) return std::nullopt;
    std::string bits(size, '\0');
    if (GetEnhMetaFileBits(metafile, size, reinterpret_cast<BYTE*>(bits.data())) != size) return std::nullopt;
    return bits;
  }
  const SIZE_T size = GlobalSize(handle);
  if (size == 0) return std::string();  // an empty block: a marker format
  GlobalLockScope lock(handle);
  if (!lock.Data()) return std::nullopt;
  return std::string(lock.Data(), size);
}

// Marks what the tool puts there so clipboard history, cloud clipboard and
// monitoring tools leave it out: a text for one paste, or the user's own
// content put back, which they have seen already.
void PutToolMarkers() {
  const DWORD no = 0;
  // Registered ids stay the same for the session: ask once.
  static const UINT viewerIgnore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
  static const UINT history = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
  static const UINT cloud = RegisterClipboardFormatA("CanUploadToCloudClipboard");
  static const UINT monitor = RegisterClipboardFormatA("ExcludeClipboardContentFromMonitorProcessing");
  if (viewerIgnore) PutBytes(viewerIgnore, &no, sizeof no);
  if (history) PutBytes(history, &no, sizeof no);
  if (cloud) PutBytes(cloud, &no, sizeof no);
  if (monitor) PutBytes(monitor, &no, sizeof no);
}

constexpr wchar_t kOwnerClassName[] = L"QuiltorClipboardOwner";

}  // namespace

// The tool's clipboard window: a message-only window on a thread of its own.
struct Win32Clipboard::Owner {
  HWND window = nullptr;
  HANDLE thread = nullptr;
  std::mutex lock;
  // The text for one paste, guarded by `lock`.
  Bytes text;
  std::wstring wide;
  DWORD reader = 0;
  bool held = false;  // the clipboard still announces `text`
  std::atomic<int> read{static_cast<int>(PasteRead::kUnknown)};
  // Set after each of the tool's writes, cleared when another program empties
  // the clipboard (WM_DESTROYCLIPBOARD, sent before that program's call returns).
  std::atomic<bool> owned{false};

  // Runs on the owner's thread. The clipboard is open by the reader when
  // WM_RENDERFORMAT comes, so the data goes in without opening it.
  bool Render(UINT format) {
    std::lock_guard<std::mutex> guard(lock);
    if (!held) return false;
    switch (format) {
      case CF_TEXT: return PutBytes(CF_TEXT, text.c_str(), text.size() + 1);
      case CF_UNICODETEXT: return PutBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
      case CF_LOCALE: return PutBytes(CF_LOCALE, &kJapaneseLocale, sizeof kJapaneseLocale);
      default: return false;
    }
  }

  // Who asked: the process of the window that opened the clipboard. A reader
  // that opened it without a window cannot be told from a monitor.
  void NoteReader() {
    DWORD process = 0;
    if (HWND opener = GetOpenClipboardWindow()) GetWindowThreadProcessId(opener, &process);
    DWORD expected = 0;
    {
      std::lock_guard<std::mutex> guard(lock);
      expected = reader;
    }
    if (process != 0 && process == expected) {
      read = static_cast<int>(PasteRead::kByReader);
    } else if (read != static_cast<int>(PasteRead::kByReader)) {
      read = static_cast<int>(PasteRead::kByOther);
    }
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
      case WM_RENDERFORMAT: {
        const UINT format = static_cast<UINT>(wparam);
        if (self->Render(format) && format != CF_LOCALE) self->NoteReader();
        return 0;
      }
      case WM_RENDERALLFORMATS:
        // The window goes away while it still owns the clipboard: leave the
        // text there for good, as an ordinary copy would.
        if (OpenClipboard(window)) {
          if (GetClipboardOwner() == window)
            for (UINT format : {CF_UNICODETEXT, CF_TEXT, CF_LOCALE}) self->Render(format);
          CloseClipboard();
        }
        {
          std::lock_guard<std::mutex> guard(self->lock);
          self->held = false;
        }
        return 0;
      case WM_DESTROYCLIPBOARD: {
        self->owned = false;
        std::lock_guard<std::mutex> guard(self->lock);
        self->held = false;
        return 0;
      }
      case WM_CLOSE:
        DestroyWindow(window);
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
  }

  struct Start {
    Owner* self;
    HANDLE ready;
  };

  static DWORD WINAPI ThreadMain(LPVOID parameter) {
    auto* start = static_cast<Start*>(parameter);
    Owner* self = start->self;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kOwnerClassName;
    HWND window = nullptr;
    if (RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      window = CreateWindowExW(0, kOwnerClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window = window;
    SetEvent(start->ready);  // `start` is gone after this
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
  }

  bool Ensure() {
    if (window) return true;
    if (thread) return false;  // it was tried and failed
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return false;
    Start start{this, ready};
    thread = CreateThread(nullptr, 0, &ThreadMain, &start, 0, nullptr);
    if (thread) WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    return window != nullptr;
  }

  Owner() = default;
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  ~Owner() {
    if (thread) {
      // Closing the window renders a text still held (WM_RENDERALLFORMATS).
      if (window) PostMessageW(window, WM_CLOSE, 0, 0);
      WaitForSingleObject(thread, 5000);
      CloseHandle(thread);
    }
  }
};

// One snapshot, made on a worker thread that may outlive the wait for it.
struct Win32Clipboard::SnapshotJob {
  std::mutex lock;
  std::condition_variable changed;
  // Set with `finished`, so a waiter wakes at once.
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Guarded by `lock`: how far the worker is, what it has got so far (by
  // position in the clipboard's own order) and what it could not get.
  bool opened = false;
  bool finished = false;
  bool abandoned = false;
  std::vector<std::optional<ClipboardSnapshot::Format>> got;
  std::vector<ClipboardFormatName> notKept;
  std::vector<UINT> listed;        // every format, in the clipboard's own order
  std::vector<std::size_t> toAsk;  // positions into `listed`, in the order asked
  std::size_t asking = 0;          // index into toAsk of the format being asked
  std::chrono::steady_clock::time_point askedAt;

  SnapshotJob() = default;
  SnapshotJob(const SnapshotJob&) = delete;
  SnapshotJob& operator=(const SnapshotJob&) = delete;
  ~SnapshotJob() {
    if (done) CloseHandle(done);
  }

  // With `lock` held.
  void Finish() {
    finished = true;
    changed.notify_all();
    if (done) SetEvent(done);
  }

  static void Run(const std::shared_ptr<SnapshotJob>& job) {
    OpenClipboardScope scope;
    if (!scope.IsOpen()) {
      std::lock_guard<std::mutex> guard(job->lock);
      job->Finish();
      return;
    }
    std::vector<UINT> listed;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) listed.push_back(format);
    std::vector<std::size_t> toAsk;
    std::vector<ClipboardFormatName> notCopyable;
    bool familyTaken[4] = {};
    for (std::size_t i = 0; i < listed.size(); ++i) {
      const UINT format = listed[i];
      const Family family = FamilyOf(format);
      if (family != Family::kNone) {
        bool& taken = familyTaken[static_cast<int>(family)];
        if (taken || !IsCopyableFormat(format)) continue;
        taken = true;
      } else if (!IsCopyableFormat(format)) {
        notCopyable.push_back(NameOf(format));
        continue;
      }
      toAsk.push_back(i);
    }
    std::stable_sort(toAsk.begin(), toAsk.end(),
                     [&](std::size_t a, std::size_t b) { return AskOrder(listed[a]) < AskOrder(listed[b]); });
    {
      std::lock_guard<std::mutex> guard(job->lock);
      job->opened = true;
      job->got.assign(listed.size(), std::nullopt);
      job->notKept = std::move(notCopyable);
      job->listed = listed;
      job->toAsk = toAsk;
      job->askedAt = std::chrono::steady_clock::now();
    }
    for (std::size_t n = 0; n < toAsk.size(); ++n) {
      const UINT format = listed[toAsk[n]];
      {
        std::lock_guard<std::mutex> guard(job->lock);
        if (job->abandoned) break;
        job->asking = n;
        job->askedAt = std::chrono::steady_clock::now();
      }
      std::optional<std::string> data = CopyFormat(format);
      std::lock_guard<std::mutex> guard(job->lock);
      if (job->abandoned) break;  // the waiter has listed it already
      if (!data) {
        job->notKept.push_back(NameOf(format));
        continue;
      }
      ClipboardFormatName name = NameOf(format);
      job->got[toAsk[n]] = ClipboardSnapshot::Format{format, std::move(name.name), std::move(*data)};
    }
    std::lock_guard<std::mutex> guard(job->lock);
    job->asking = toAsk.size();
    job->Finish();
  }

  // Called by the waiter, with `lock` held, when it stops waiting: the
  // format being asked for and those not asked yet are not kept.
  void Abandon() {
    abandoned = true;
    for (std::size_t n = asking; n < toAsk.size(); ++n) notKept.push_back(NameOf(listed[toAsk[n]]));
  }

  ClipboardSnapshot Result() const {
    ClipboardSnapshot snapshot;
    for (const auto& format : got)
      if (format) snapshot.formats.push_back(*format);
    snapshot.notKept = notKept;
    return snapshot;
  }
};

// The thread that makes the snapshots, started with the first one: under
// load, starting a thread costs more than the snapshot itself.
struct Win32Clipboard::SnapshotWorker {
  std::mutex lock;
  std::condition_variable wake;
  std::shared_ptr<SnapshotJob> next;
  bool stop = false;

  static void Loop(const std::shared_ptr<SnapshotWorker>& self) {
    std::unique_lock<std::mutex> guard(self->lock);
    while (true) {
      self->wake.wait(guard, [&] { return self->stop || self->next != nullptr; });
      if (self->stop) return;
      std::shared_ptr<SnapshotJob> job = std::move(self->next);
      self->next = nullptr;
      guard.unlock();
      SnapshotJob::Run(job);
      guard.lock();
    }
  }

  void Post(std::shared_ptr<SnapshotJob> job) {
    {
      std::lock_guard<std::mutex> guard(lock);
      next = std::move(job);
    }
    wake.notify_one();
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> guard(lock);
      stop = true;
    }
    wake.notify_one();
  }
};

// ---------------------------------------------------------------------------

class Win32Clipboard::OwnedSession {
 public:
  // With `onlyAt`, the clipboard is emptied only while its sequence number is
  // still that one; nobody can change it while the tool holds it open.
  explicit OwnedSession(Win32Clipboard& clipboard, std::optional<std::uint32_t> onlyAt = std::nullopt)
      : clipboard_(clipboard) {
    clipboard.SettleAbandoned();
    Owner& owner = *clipboard.owner_;
    owner.Ensure();
    open_ = OpenWithin(owner.window);
    if (open_ && onlyAt && GetClipboardSequenceNumber() != *onlyAt) {
      changed_ = true;
      return;
    }
    if (open_ && EmptyClipboard()) {
      emptied_ = true;
      clipboard.NoteOwnContent();
    }
  }
  ~OwnedSession() {
    if (open_) CloseClipboard();
    // Without an owner window the sequence number after the close stands in.
    if (emptied_ && !clipboard_.owner_->window) clipboard_.ownSequence_ = GetClipboardSequenceNumber();
  }
  OwnedSession(const OwnedSession&) = delete;
  OwnedSession& operator=(const OwnedSession&) = delete;
  bool Emptied() const { return emptied_; }
  bool Changed() const { return changed_; }

 private:
  Win32Clipboard& clipboard_;
  bool open_ = false;
  bool emptied_ = false;
  bool changed_ = false;
};

Win32Clipboard::Win32Clipboard() : owner_(std::make_unique<Owner>()) {}

// A worker still inside a rendering ends when that returns.
Win32Clipboard::~Win32Clipboard() {
  if (worker_) worker_->Stop();
}

void Win32Clipboard::NoteOwnContent() {
  Owner& owner = *owner_;
  owner.owned = true;
  std::lock_guard<std::mutex> guard(owner.lock);
  owner.held = false;
}

bool Win32Clipboard::HoldsOwnContent() {
  Owner& owner = *owner_;
  if (owner.window) return owner.owned && GetClipboardOwner() == owner.window;
  return ownSequence_ != 0 && GetClipboardSequenceNumber() == ownSequence_;
}

void Win32Clipboard::SettleAbandoned() {
  if (!abandoned_) return;
  std::unique_lock<std::mutex> guard(abandoned_->lock);
  if (!abandonedWaited_) {
    abandoned_->changed.wait_for(guard, std::chrono::milliseconds(kAbandonedWaitMs),
                                 [&] { return abandoned_->finished; });
    abandonedWaited_ = true;  // one wait per stuck worker, not one per call
  }
  const bool finished = abandoned_->finished;
  guard.unlock();
  if (finished) abandoned_.reset();
}

bool Win32Clipboard::PutForPaste(const Bytes& text, std::uint32_t reader) {
  OwnedSession session(*this);
  return session.Emptied() && FillPasteText(text, reader);
}

PutResult Win32Clipboard::PutForPasteIfUnchanged(const Bytes& text, std::uint32_t reader, std::uint32_t sequence) {
  OwnedSession session(*this, sequence);
  if (session.Changed()) return PutResult::kChanged;
  if (!session.Emptied() || !FillPasteText(text, reader)) return PutResult::kUnavailable;
  return PutResult::kPut;
}

bool Win32Clipboard::FillPasteText(const Bytes& text, std::uint32_t reader) {
  Owner& owner = *owner_;
  {
    std::lock_guard<std::mutex> guard(owner.lock);
    owner.text = text;
    owner.wide = ToUtf16(text);
    owner.reader = reader;
    owner.held = owner.window != nullptr;
  }
  bool announced = false;
  if (owner.window) {
    owner.read = static_cast<int>(PasteRead::kNotRead);
    SetClipboardData(CF_UNICODETEXT, nullptr);
    SetClipboardData(CF_TEXT, nullptr);
    SetClipboardData(CF_LOCALE, nullptr);
    announced = IsClipboardFormatAvailable(CF_TEXT) && IsClipboardFormatAvailable(CF_UNICODETEXT);
  }
  if (!announced) {
    // Put at once: nobody can tell when it is read.
    {
      std::lock_guard<std::mutex> guard(owner.lock);
      owner.held = true;
    }
    const bool put = owner.Render(CF_UNICODETEXT) && owner.Render(CF_TEXT) && owner.Render(CF_LOCALE);
    {
      std::lock_guard<std::mutex> guard(owner.lock);
      owner.held = false;
    }
    owner.read = static_cast<int>(PasteRead::kUnknown);
    if (!put) return false;
  }
  PutToolMarkers();
  return true;
}

PasteRead Win32Clipboard::PasteTextRead() { return static_cast<PasteRead>(owner_->read.load()); }

bool Win32Clipboard::HasText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

std::optional<Bytes> Win32Clipboard::GetText() {
  SettleAbandoned();
  OpenClipboardScope scope;
  if (!scope.IsOpen()) return std::nullopt;
  HANDLE handle = GetClipboardData(CF_TEXT);
  if (!handle) return Bytes();
  GlobalLockScope lock(handle);
  if (!lock.Data()) return Bytes();
  const std::size_t size = GlobalSize(handle);
  const void* end = std::memchr(lock.Data(), 0, size);
  const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - lock.Data()) : size;
  return Bytes(lock.Data(), length);
}

bool Win32Clipboard::Empty() {
  OwnedSession session(*this);
  return session.Emptied();
}

bool Win32Clipboard::IsHeldOpen() { return GetOpenClipboardWindow() != nullptr; }

std::optional<ClipboardSnapshot> Win32Clipboard::Snapshot() {
  SettleAbandoned();
  if (abandoned_) return std::nullopt;  // an earlier worker still holds it open
  if (!worker_) {
    worker_ = std::make_shared<SnapshotWorker>();
    std::thread([worker = worker_] { SnapshotWorker::Loop(worker); }).detach();
  }
  auto job = std::make_shared<SnapshotJob>();
  worker_->Post(job);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kSnapshotLimitMs);
  std::unique_lock<std::mutex> guard(job->lock);
  while (!job->finished) {
    const Clock::time_point formatDeadline = job->askedAt + std::chrono::milliseconds(kFormatLimitMs);
    const Clock::time_point now = Clock::now();
    const bool formatLate = job->opened && now >= formatDeadline;
    if (now >= deadline || formatLate) {
      // The worker sits inside a rendering: leave it there; it lets the
      // clipboard go when the rendering returns.
      job->Abandon();
      abandoned_ = job;
      abandonedWaited_ = false;
      break;
    }
    // The worker tells only when it has finished: look at its progress often.
    guard.unlock();
    WaitForSingleObject(job->done, 10);
    guard.lock();
  }
  if (!job->opened) return std::nullopt;
  return job->Result();
}

RestoreOutcome Win32Clipboard::Restore(const ClipboardSnapshot& snapshot) {
  RestoreOutcome outcome;
  OwnedSession session(*this);
  if (!session.Emptied()) return outcome;
  outcome.opened = true;
  for (const ClipboardSnapshot::Format& entry : snapshot.formats) {
    UINT format = entry.id;
    if (!entry.name.empty()) format = RegisterClipboardFormatA(entry.name.c_str());
    const bool put = format != 0 && (format == CF_ENHMETAFILE ? PutEnhancedMetafile(entry.data)
                                                               : PutBytes(format, entry.data.data(), entry.data.size()));
    if (!put) outcome.notRestored.push_back(ClipboardFormatName{entry.id, entry.name});
  }
  if (!snapshot.formats.empty()) PutToolMarkers();
  return outcome;
}

std::uint32_t Win32Clipboard::SequenceNumber() { return GetClipboardSequenceNumber(); }

std::uint32_t Win32Clipboard::OwnerProcess() {
  DWORD process = 0;
  if (HWND owner = GetClipboardOwner()) GetWindowThreadProcessId(owner, &process);
  return process;
}

}  // namespace quiltor
