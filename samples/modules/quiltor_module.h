#pragma once
// For authors of edit modules: opens the tool's exchange area while the
// module runs and reads and writes its transfer buffers safely.
//
//   quiltor_module::Exchange exchange;
//   if (!exchange.Open()) return 1;            // not started by the tool
//   std::string text = exchange.Selection();   // the target's selection (may be empty)
//   exchange.SetBefore(...);                    // replaces the selection
//   exchange.SetAfter(...);                     // written after the kept selection
//
// Leaving both buffers empty writes nothing. Texts are ANSI (code page 932).
// Sizes come from the exchange block but are never trusted beyond what is
// actually mapped; every write is cut on a character boundary and ends with
// a zero byte.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace quiltor_module {

inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Length of the longest prefix of `text` of at most `limit` bytes that does
// not end inside a double-byte character.
inline std::size_t FitOnCharacterBoundary(const std::string& text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + width > limit || end + width > text.size()) break;
    end += width;
  }
  return end;
}

// One named mapping, mapped whole; unmapped and closed when destroyed.
class Mapping {
 public:
  Mapping() = default;
  ~Mapping() { Close(); }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  bool Open(const char* name, std::size_t expected) {
    Close();
    handle_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!handle_) return false;
    view_ = static_cast<std::uint8_t*>(MapViewOfFile(handle_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) {
      Close();
      return false;
    }
    // What the system mapped (whole pages) bounds what the block claims.
    MEMORY_BASIC_INFORMATION info = {};
    const std::size_t mapped = VirtualQuery(view_, &info, sizeof info) ? info.RegionSize : 0;
    size_ = std::min(expected, mapped);
    return size_ > 0;
  }
  void Close() {
    if (view_) UnmapViewOfFile(view_);
    if (handle_) CloseHandle(handle_);
    view_ = nullptr;
    handle_ = nullptr;
    size_ = 0;
  }
  std::uint8_t* Data() const { return view_; }
  std::size_t Size() const { return size_; }

  // The zero-terminated text, read at most to the end.
  std::string Text() const {
    if (!view_) return {};
    const char* begin = reinterpret_cast<const char*>(view_);
    return std::string(begin, std::find(begin, begin + size_, '\0'));
  }
  // Writes `text` cut to Size() - 1 bytes and a terminator; false when cut.
  bool Write(const std::string& text) {
    if (!view_ || size_ == 0) return text.empty();
    const std::size_t length = FitOnCharacterBoundary(text, size_ - 1);
    std::memcpy(view_, text.data(), length);
    view_[length] = 0;
    return length == text.size();
  }

 private:
  HANDLE handle_ = nullptr;
  std::uint8_t* view_ = nullptr;
  std::size_t size_ = 0;
};

class Exchange {
 public:
  static constexpr std::size_t kBlockSize = 288;

  // False when the tool is not running (the module was not started by it).
  bool Open() {
    if (!block_.Open("QuiltorCommonMemory", kBlockSize) || block_.Size() < kBlockSize) return false;
    return buffer1_.Open("QuiltorCommonMemory1", ReadU32(280)) &&
           buffer2_.Open("QuiltorCommonMemory2", ReadU32(284));
  }

  // "\r", "\n" or "\r\n" as the tool's settings choose ("\r\n" when unset).
  std::string LineEnd() const {
    const char* field = reinterpret_cast<const char*>(block_.Data() + 4);
    std::string lineEnd(field, std::find(field, field + 3, '\0'));
    return lineEnd.empty() ? "\r\n" : lineEnd;
  }
  // The current file in linked mode; "" otherwise.
  std::string CurrentFile() const {
    const char* field = reinterpret_cast<const char*>(block_.Data() + 8);
    return std::string(field, std::find(field, field + 256, '\0'));
  }
  // The tool window's rectangle: left, top, width, height.
  RECT ToolWindow() const {
    const LONG left = static_cast<LONG>(ReadU32(264));
    const LONG top = static_cast<LONG>(ReadU32(268));
    return RECT{left, top, left + static_cast<LONG>(ReadU32(272)), top + static_cast<LONG>(ReadU32(276))};
  }

  // Buffer 1 as the module finds it: the fetched selection, or "".
  std::string Selection() const { return buffer1_.Text(); }
  std::string After() const { return buffer2_.Text(); }
  // Buffer 1: the text that replaces the selection. False when it was cut.
  bool SetBefore(const std::string& text) { return buffer1_.Write(text); }
  // Buffer 2: the text written after the kept selection. False when it was cut.
  bool SetAfter(const std::string& text) { return buffer2_.Write(text); }
  std::size_t BeforeCapacity() const { return buffer1_.Size() ? buffer1_.Size() - 1 : 0; }
  std::size_t AfterCapacity() const { return buffer2_.Size() ? buffer2_.Size() - 1 : 0; }

 private:
  std::uint32_t ReadU32(std::size_t offset) const {
    const std::uint8_t* p = block_.Data() + offset;
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
  }

  Mapping block_;
  Mapping buffer1_;
  Mapping buffer2_;
};

}  // namespace quiltor_module
