#include "fakes/fake_clipboard.h"

namespace quiltor::fakes {

bool FakeClipboard::Open(const char* operation) {
  ++opens_;
  if (failOpens_ > 0) {
    --failOpens_;
    if (log_) log_->Add(std::string("Clipboard ") + operation + " failed");
    return false;
  }
  return true;
}

void FakeClipboard::Done(const std::string& operation) {
  if (log_) log_->Add("Clipboard " + operation);
  if (afterOperation) afterOperation(operation);
}

bool FakeClipboard::HasText() { return Text().has_value(); }

std::optional<Bytes> FakeClipboard::Text() const {
  for (const auto& format : formats_)
    if (format.id == kCfText) return format.data;
  return std::nullopt;
}

std::optional<Bytes> FakeClipboard::GetText() {
  if (!Open("GetText")) return std::nullopt;
  Bytes text = Text().value_or(Bytes());
  Done("GetText");
  return text;
}

bool FakeClipboard::SetText(const Bytes& text, bool transient) {
  if (!Open("SetText")) return false;
  formats_.clear();
  formats_.push_back({kCfText, "", text});
  lastTransient_ = transient;
  Changed();
  Done("SetText " + text);
  return true;
}

bool FakeClipboard::Empty() {
  if (!Open("Empty")) return false;
  formats_.clear();
  lastTransient_ = false;
  Changed();
  Done("Empty");
  return true;
}

bool FakeClipboard::IsHeldOpen() {
  if (heldPolls_ < 0) return true;
  if (heldPolls_ > 0) {
    --heldPolls_;
    return true;
  }
  return false;
}

std::optional<ClipboardSnapshot> FakeClipboard::Snapshot() {
  if (!Open("Snapshot")) return std::nullopt;
  ClipboardSnapshot snapshot;
  snapshot.formats = formats_;
  Done("Snapshot");
  return snapshot;
}

bool FakeClipboard::Restore(const ClipboardSnapshot& snapshot) {
  if (!Open("Restore")) return false;
  formats_ = snapshot.formats;
  lastTransient_ = false;
  Changed();
  Done("Restore");
  return true;
}

void FakeClipboard::PutText(const Bytes& text) {
  formats_.clear();
  formats_.push_back({kCfText, "", text});
  lastTransient_ = false;
  Changed();
}

void FakeClipboard::AddFormat(std::uint32_t id, const std::string& name, const std::string& data) {
  formats_.push_back({id, name, data});
  Changed();
}

void FakeClipboard::Clear() {
  formats_.clear();
  Changed();
}

}  // namespace quiltor::fakes
