#pragma once
// What every family of qtdriver's subcommands shares: the arguments as the
// system hands them over, the table a family lists its subcommands in, and
// the pieces of the output lines.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "tools/outside.h"
#include "window/main_view.h"

namespace quiltor::driver {

using namespace quiltor::outside;

// A subcommand's arguments after its name, in UTF-16 as the system hands them
// over: captions and titles are Japanese, which the ANSI code page of an
// English Windows would lose.
class Args {
 public:
  Args(std::vector<std::wstring> words, HWND main) : words_(std::move(words)), main_(main) {}
  // The tool's main window, for a subcommand that asks for it (kMain).
  HWND Main() const { return main_; }
  size_t Count() const { return words_.size(); }
  const std::wstring& Text(size_t i) const { return words_.at(i); }
  // A decimal number (hexadecimal with base 16); `fallback` when absent.
  long Number(size_t i, long fallback = 0, int base = 10) const {
    return i < words_.size() ? std::wcstol(words_[i].c_str(), nullptr, base) : fallback;
  }
  DWORD Ms(size_t i, DWORD fallback = 0) const { return static_cast<DWORD>(Number(i, static_cast<long>(fallback))); }
  // A window handle as the driver prints them.
  HWND Handle(size_t i) const {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(words_.at(i).c_str(), nullptr, 10)));
  }

 private:
  std::vector<std::wstring> words_;
  HWND main_;
};

// Whether a subcommand looks at the tool's main window: it is found first,
// and "nowindow" printed when there is none.
inline constexpr bool kMain = true;
inline constexpr bool kAlone = false;

struct Subcommand {
  const char* name;
  size_t arguments;  // it needs at least this many
  bool main;         // kMain or kAlone
  int (*run)(const Args&);
  const char* usage;  // its arguments, then what it does and prints
};

struct Family {
  const char* name;
  const char* about;
  std::span<const Subcommand> subcommands;
};

extern const Family kToolFamily;
extern const Family kLinkedFamily;
extern const Family kSetupFamily;
extern const Family kLoomworkFamily;

// The one line that says what was not found; exit code 1.
inline int Fail(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
  return 1;
}

// The tool's main window, or nullptr once "nowindow" is printed. A tool
// that is still starting or under load is given two seconds to be found.
inline HWND MainOrFail() {
  HWND main = nullptr;
  if (!WaitFor(2000, [&] { return (main = FindMain()) != nullptr; })) Fail("nowindow");
  return main;
}

// "x y w h" of a rectangle, as most lines give one.
inline std::string Dims(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
  return text;
}

// A handle as the driver prints it (Args::Handle reads it back).
inline unsigned long long Number(const void* handle) {
  return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(handle));
}

inline int Flag(bool value) { return value ? 1 : 0; }

// A view of one of the tool's named file mappings (the exchange block and
// its transfer buffers); Data() is nullptr when there is none.
class MappedView {
 public:
  MappedView(const char* name, DWORD access, size_t bytes = 0)
      : mapping_(OpenFileMappingA(access, FALSE, name)),
        data_(mapping_ ? static_cast<char*>(MapViewOfFile(mapping_, access, 0, 0, bytes)) : nullptr) {}
  ~MappedView() {
    if (data_) UnmapViewOfFile(data_);
    if (mapping_) CloseHandle(mapping_);
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  HANDLE Mapping() const { return mapping_; }
  char* Data() const { return data_; }

 private:
  HANDLE mapping_;
  char* data_;
};

// The tool's answer to its status message (`which`: what to tell).
inline DWORD_PTR AskStatus(HWND main, WPARAM which, LPARAM lparam = 0, UINT timeoutMs = 1000, bool* answered = nullptr) {
  static const UINT message = RegisterWindowMessageA(quiltor::kStatusMessageName);
  DWORD_PTR result = 0;
  const bool ok = SendMessageTimeoutW(main, message, which, lparam, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
  if (answered) *answered = ok;
  return result;
}

}  // namespace quiltor::driver
