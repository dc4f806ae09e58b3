#include "fakes/fake_clipboard.h"

#include <algorithm>

#include "fakes/fake_text_codec.h"

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

namespace {

const ClipboardSnapshot::Format* Find(const std::vector<ClipboardSnapshot::Format>& formats, std::uint32_t id) {
  for (const auto& format : formats)
    if (format.id == id) return &format;
  return nullptr;
}

// CF_UNICODETEXT's memory: UTF-16LE code units.
std::string Utf16Le(std::u16string_view units) {
  std::string bytes;
  for (char16_t unit : units) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::u16string Units(const std::string& utf16le) {
  std::u16string units(utf16le.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                     (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
  }
  return units;
}

}  // namespace

std::optional<Bytes> FakeClipboard::Text() const {
  if (const auto* text = Find(formats_, kCfText)) return text->data;
  if (const auto* unicode = Find(formats_, kCfUnicodeText)) return Cp932Of(Units(unicode->data)).text;
  return std::nullopt;
}

std::optional<std::u16string> FakeClipboard::UnicodeText() const {
  if (const auto* unicode = Find(formats_, kCfUnicodeText)) return Units(unicode->data);
  if (const auto* text = Find(formats_, kCfText)) return Utf16Of(text->data);
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

std::optional<std::u16string> FakeClipboard::ReadUnicodeText(std::uint32_t process) {
  std::optional<std::u16string> text = UnicodeText();
  if (text) Render(process);
  return text;
}

bool FakeClipboard::HasText() { return UnicodeText().has_value(); }

std::optional<ClipboardText> FakeClipboard::GetText() {
  if (!Open("GetText")) return std::nullopt;
  ClipboardText text;
  text.units = ReadUnicodeText(kToolProcess).value_or(std::u16string());
  const Converted ansi = Cp932Of(text.units);
  if (ansi.lossless) text.ansi = ansi.text;
  Done("GetText");
  return text;
}

bool FakeClipboard::PutForPaste(const PasteText& text, std::uint32_t reader) {
  if (!Open("PutForPaste")) return false;
  Fill(text, reader);
  return true;
}

PutResult FakeClipboard::PutForPasteIfUnchanged(const PasteText& text, std::uint32_t reader, std::uint32_t sequence) {
  if (!Open("PutForPaste")) return PutResult::kUnavailable;
  if (sequence_ != sequence) {
    Done("PutForPaste refused: changed");
    return PutResult::kChanged;
  }
  Fill(text, reader);
  return PutResult::kPut;
}

void FakeClipboard::Fill(const PasteText& paste, std::uint32_t reader) {
  const std::u16string units = Utf16Of(paste.before) + paste.selection.units + Utf16Of(paste.after);
  const Bytes text = Cp932Of(units).text;
  formats_ = {{kCfUnicodeText, "", Utf16Le(units)},
              {kCfText, "", text},
              {kCfLocale, "", std::string("\x11\x04\0\0", 4)}};
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

void FakeClipboard::PutUnicodeText(const std::u16string& text, std::uint32_t process) {
  formats_.clear();
  formats_.push_back({kCfUnicodeText, "", Utf16Le(text)});
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
