#include "fakes/fake_clipboard.h"

#include <algorithm>

namespace quiltor::fakes {

bool FakeClipboard::Open(const char* operation) {
  if (beforeOpen) beforeOpen(operation);
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

void FakeClipboard::ChangedByOther() {
  ownContent_ = false;
  marked_ = false;
  awaitingRender_ = false;
  Changed();
}

std::optional<Bytes> FakeClipboard::Text() const {
  for (const auto& format : formats_)
    if (format.id == kCfText) return format.data;
  return std::nullopt;
}

void FakeClipboard::Render(std::uint32_t process) {
  if (!awaitingRender_) return;
  awaitingRender_ = false;
  if (counting == Counting::kAtRender) Changed();
  if (process == reader_) {
    read_ = PasteRead::kByReader;
  } else if (read_ != PasteRead::kByReader) {
    read_ = PasteRead::kByOther;
  }
}

std::optional<Bytes> FakeClipboard::ReadText(std::uint32_t process) {
  std::optional<Bytes> text = Text();
  if (text) Render(process);
  return text;
}

bool FakeClipboard::HasText() { return Text().has_value(); }

std::optional<Bytes> FakeClipboard::GetText() {
  if (!Open("GetText")) return std::nullopt;
  Bytes text = ReadText(kToolProcess).value_or(Bytes());
  Done("GetText");
  return text;
}

bool FakeClipboard::PutForPaste(const Bytes& text, std::uint32_t reader) {
  if (!Open("PutForPaste")) return false;
  Fill(text, reader);
  return true;
}

PutResult FakeClipboard::PutForPasteIfUnchanged(const Bytes& text, std::uint32_t reader, std::uint32_t sequence) {
  if (!Open("PutForPaste")) return PutResult::kUnavailable;
  if (sequence_ != sequence) {
    Done("PutForPaste refused: changed");
    return PutResult::kChanged;
  }
  Fill(text, reader);
  return PutResult::kPut;
}

void FakeClipboard::Fill(const Bytes& text, std::uint32_t reader) {
  formats_ = {{kCfUnicodeText, "", "U:" + text}, {kCfText, "", text}, {kCfLocale, "", std::string("\x11\x04\0\0", 4)}};
  ownContent_ = true;
  marked_ = true;
  reader_ = reader;
  awaitingRender_ = onDemand;
  read_ = onDemand ? PasteRead::kNotRead : PasteRead::kUnknown;
  owner_ = kToolProcess;
  Changed();  // the emptying
  if (!onDemand || counting == Counting::kAtAnnouncement) Changed();
  Done("PutForPaste " + text);
}

bool FakeClipboard::Empty() {
  if (!Open("Empty")) return false;
  formats_.clear();
  ownContent_ = true;
  owner_ = kToolProcess;
  marked_ = false;
  awaitingRender_ = false;
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
  Render(kToolProcess);
  ClipboardSnapshot snapshot;
  for (const auto& format : formats_) {
    if (notKeptBySnapshot.count(format.id)) {
      snapshot.notKept.push_back({format.id, format.name});
    } else {
      snapshot.formats.push_back(format);
    }
  }
  Done("Snapshot");
  return snapshot;
}

RestoreOutcome FakeClipboard::Restore(const ClipboardSnapshot& snapshot) {
  RestoreOutcome outcome;
  if (!Open("Restore")) return outcome;
  outcome.opened = true;
  formats_.clear();
  for (const auto& format : snapshot.formats) {
    if (notRestorable.count(format.id)) {
      outcome.notRestored.push_back({format.id, format.name});
    } else {
      formats_.push_back(format);
    }
  }
  ownContent_ = true;
  owner_ = kToolProcess;
  marked_ = !snapshot.formats.empty();
  awaitingRender_ = false;
  Changed();
  Done("Restore");
  return outcome;
}

void FakeClipboard::PutText(const Bytes& text, std::uint32_t process) {
  formats_.clear();
  formats_.push_back({kCfText, "", text});
  ChangedByOther();
  owner_ = process;
}

void FakeClipboard::AddFormat(std::uint32_t id, const std::string& name, const std::string& data) {
  formats_.push_back({id, name, data});
  ChangedByOther();
}

void FakeClipboard::Clear() {
  formats_.clear();
  ChangedByOther();
  owner_ = 0;
}

}  // namespace quiltor::fakes
