#pragma once
// Small portable types the core uses instead of the operating system's own.
#include <cstdint>
#include <string>

namespace quiltor {

// An opaque window handle; 0 is "no window".
using WindowId = std::uint64_t;
inline constexpr WindowId kNoWindow = 0;

// One synthesised key stroke: virtual-key code, scan code, press or release;
// `extended` for the keys of the separate block (the arrows), whose scan
// codes are those of the number pad's keys.
struct KeyEvent {
  std::uint8_t vk = 0;
  std::uint8_t scan = 0;
  bool up = false;
  bool extended = false;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// Texts in files, shared memory and the clipboard are ANSI (code page 932) bytes.
using Bytes = std::string;

}  // namespace quiltor
