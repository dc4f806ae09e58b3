#pragma once
// A clipboard that keeps several formats, knows whether the tool's own
// content is still there, hands a text for one paste over on demand (and
// tells who read it), counts changes like the system's sequence number, and
// can be held open by "another program". Texts are Unicode as the system
// keeps them: a program that puts one text form reads back the other,
// converted with code page 932 as the Japanese locale does.
#include <functional>
#include <ostream>
#include <set>

#include "fakes/call_log.h"
#include "platform/clipboard.h"

namespace quiltor::fakes {

inline constexpr std::uint32_t kCfText = 1;
inline constexpr std::uint32_t kCfDib = 8;
inline constexpr std::uint32_t kCfUnicodeText = 13;
inline constexpr std::uint32_t kCfLocale = 16;
// The process the tool's own reads count as.
inline constexpr std::uint32_t kToolProcess = 1;

class FakeClipboard : public Clipboard {
 public:
  explicit FakeClipboard(CallLog* log = nullptr) : log_(log) {}

  bool HasText() override;
  std::optional<ClipboardText> GetText() override;
  bool PutForPaste(const PasteText& text, std::uint32_t reader) override;
  PutResult PutForPasteIfUnchanged(const PasteText& text, std::uint32_t reader, std::uint32_t sequence) override;
  PasteRead PasteTextRead() override { return read_; }
  bool Empty() override;
  bool IsHeldOpen() override;
  std::optional<ClipboardSnapshot> Snapshot() override;
  RestoreOutcome Restore(const ClipboardSnapshot& snapshot) override;
  std::uint32_t SequenceNumber() override { return sequence_; }
  std::uint32_t OwnerProcess() override { return owner_; }
  bool HoldsOwnContent() override { return ownContent_; }

  // --- What other programs do ---
  // Replaces the content with a text, as a copy by a window of `process`
  // would (0: a program that opened the clipboard without a window):
  // CF_TEXT (code page 932), or CF_UNICODETEXT as a Unicode editor puts it.
  void PutText(const Bytes& text, std::uint32_t process = 0);
  void PutUnicodeText(const std::u16string& text, std::uint32_t process = 0);
  // Adds one format to the current content.
  void AddFormat(std::uint32_t id, const std::string& name, const std::string& data);
  void Clear();
  // A program of `process` reads the text (CF_TEXT, or CF_UNICODETEXT as a
  // Unicode editor does); a text put for one paste is rendered now. nullopt
  // when the clipboard holds no text.
  std::optional<Bytes> ReadText(std::uint32_t process);
  std::optional<std::u16string> ReadUnicodeText(std::uint32_t process);

  // --- Test controls ---
  // When the sequence number counts a text handed over on demand: Windows
  // counts it when it is rendered, Wine when it is announced.
  enum class Counting { kAtRender, kAtAnnouncement };
  Counting counting = Counting::kAtAnnouncement;
  // False: a text for one paste is put at once, so nobody can tell its reader.
  bool onDemand = true;
  // The next `count` opens fail.
  void FailOpens(int count) { failOpens_ = count; }
  // IsHeldOpen reports true for the next `count` polls (-1: always).
  void HoldOpen(int count) { heldPolls_ = count; }
  // Formats a snapshot cannot keep (a rendering that did not come in time).
  std::set<std::uint32_t> notKeptBySnapshot;
  // Formats a restore cannot put back.
  std::set<std::uint32_t> notRestorable;
  // Called after every operation that opened the clipboard successfully.
  std::function<void(const std::string& operation)> afterOperation;
  // Called as the tool is about to open the clipboard: what another program
  // does here happens just before the tool's operation.
  std::function<void(const std::string& operation)> beforeOpen;

  // --- Inspection ---
  // CF_TEXT as a reader gets it: the put one, or the one the system makes
  // from CF_UNICODETEXT.
  std::optional<Bytes> Text() const;
  std::optional<std::u16string> UnicodeText() const;
  const std::vector<ClipboardSnapshot::Format>& Formats() const { return formats_; }
  // The tool's markers for clipboard history and monitors are on the content.
  bool Marked() const { return marked_; }
  // A text for one paste is there and has not been rendered yet.
  bool AwaitingRender() const { return awaitingRender_; }
  int OpenCount() const { return opens_; }

 private:
  bool Open(const char* operation);
  void Done(const std::string& operation);
  void Changed() { ++sequence_; }
  // Another program's change: the tool's content is gone.
  void ChangedByOther();
  void Render(std::uint32_t process);
  // The text for one paste into the open clipboard.
  void Fill(const PasteText& text, std::uint32_t reader);

  CallLog* log_;
  std::vector<ClipboardSnapshot::Format> formats_;
  std::uint32_t sequence_ = 1;
  std::uint32_t owner_ = 0;
  int failOpens_ = 0;
  int heldPolls_ = 0;
  int opens_ = 0;
  bool ownContent_ = false;
  bool marked_ = false;
  bool awaitingRender_ = false;
  std::uint32_t reader_ = 0;
  PasteRead read_ = PasteRead::kUnknown;
};

inline void PrintTo(FakeClipboard::Counting counting, std::ostream* out) {
  *out << (counting == FakeClipboard::Counting::kAtRender ? "counted at render" : "counted when put");
}

}  // namespace quiltor::fakes
