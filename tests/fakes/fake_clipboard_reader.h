#pragma once
// A clipboard as the snapshot worker reads it from its own thread: formats
// with their bytes, an owner that can be slow to render one (held until the
// test lets it go), and another program that can hold the clipboard open.
// Thread-safe; it notices when it is opened twice at once.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/clipboard_reader.h"

namespace quiltor::fakes {

class FakeClipboardReader : public ClipboardReader {
 public:
  struct Entry {
    std::uint32_t id;
    std::string data;
  };
  explicit FakeClipboardReader(std::vector<Entry> entries) : entries_(std::move(entries)) {}

  // The owner renders `format` only once Release(format) is called.
  void Hold(std::uint32_t format) {
    std::lock_guard<std::mutex> guard(lock_);
    held_.insert(format);
  }
  void Release(std::uint32_t format) {
    std::lock_guard<std::mutex> guard(lock_);
    held_.erase(format);
    changed_.notify_all();
  }
  void SetHeldByAnotherProgram(bool held) {
    std::lock_guard<std::mutex> guard(lock_);
    heldByOther_ = held;
  }
  bool IsOpen() {
    std::lock_guard<std::mutex> guard(lock_);
    return open_;
  }
  bool OpenedTwice() {
    std::lock_guard<std::mutex> guard(lock_);
    return openedTwice_;
  }
  // Formats whose rendering the worker has asked for, in order.
  std::vector<std::uint32_t> Asked() {
    std::lock_guard<std::mutex> guard(lock_);
    return asked_;
  }

  bool Open() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (heldByOther_) return false;
    if (open_) openedTwice_ = true;
    open_ = true;
    return true;
  }
  void Close() override {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = false;
  }
  std::vector<std::uint32_t> ListFormats() override {
    std::vector<std::uint32_t> ids;
    for (const Entry& entry : entries_) ids.push_back(entry.id);
    return ids;
  }
  std::optional<std::string> CopyFormat(std::uint32_t format) override {
    std::unique_lock<std::mutex> guard(lock_);
    asked_.push_back(format);
    changed_.wait(guard, [&] { return held_.count(format) == 0; });
    for (const Entry& entry : entries_)
      if (entry.id == format) return entry.data;
    return std::nullopt;
  }
  ClipboardFormatName NameOf(std::uint32_t format) override {
    return {format, format >= 0xC000 ? "Registered" + std::to_string(format) : std::string()};
  }

 private:
  const std::vector<Entry> entries_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::set<std::uint32_t> held_;
  bool heldByOther_ = false;
  bool open_ = false;
  bool openedTwice_ = false;
  std::vector<std::uint32_t> asked_;
};

}  // namespace quiltor::fakes
