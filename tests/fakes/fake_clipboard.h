#pragma once
// A clipboard that keeps several formats, counts changes like the system's
// sequence number, and can be held open by "another program".
#include <functional>

#include "fakes/call_log.h"
#include "platform/clipboard.h"

namespace quiltor::fakes {

inline constexpr std::uint32_t kCfText = 1;
inline constexpr std::uint32_t kCfDib = 8;

class FakeClipboard : public Clipboard {
 public:
  explicit FakeClipboard(CallLog* log = nullptr) : log_(log) {}

  bool HasText() override;
  std::optional<Bytes> GetText() override;
  bool SetText(const Bytes& text, bool transient) override;
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  bool Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override { return sequence_; }

  // --- What other programs do ---
  // Replaces the content with a text, as another program's copy would.
  void PutText(const Bytes& text);
  // Adds one format to the current content.
  void AddFormat(std::uint32_t id, const std::string& name, const std::string& data);
  void Clear();

  // --- Test controls ---
  // The next `count` opens fail.
  void FailOpens(int count) { failOpens_ = count; }
  // IsHeldOpen reports true for the next `count` polls (-1: always).
  void HoldOpen(int count) { heldPolls_ = count; }
  // Called after every operation that opened the clipboard successfully.
  std::function<void(const std::string& operation)> afterOperation;

  // --- Inspection ---
  std::optional<Bytes> Text() const;
  const std::vector<ClipboardSnapshot::Format>& Formats() const { return formats_; }
  bool LastWriteTransient() const { return lastTransient_; }
  int OpenCount() const { return opens_; }

 private:
  bool Open(const char* operation);
  void Done(const std::string& operation);
  void Changed() { ++sequence_; }

  CallLog* log_;
  std::vector<ClipboardSnapshot::Format> formats_;
  std::uint32_t sequence_ = 1;
  int failOpens_ = 0;
  int heldPolls_ = 0;
  int opens_ = 0;
  bool lastTransient_ = false;
};

}  // namespace quiltor::fakes
