#pragma once
// The system clipboard as the delivery engine needs it. Texts read from it
// are Unicode (CF_UNICODETEXT), so an editor's selection keeps every
// character; the tool's own texts are code page 932 bytes, converted where
// the clipboard is written.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace quiltor {

// A text as the clipboard holds it: UTF-16 code units. `ansi` is its code
// page 932 form, made where it was read; nullopt when a character has none
// there (an emoji, Hangul, an accented letter), so that a reader who needs
// bytes refuses the text instead of taking "?" for it.
struct ClipboardText {
  std::u16string units;
  std::optional<Bytes> ansi;
  bool Empty() const { return units.empty(); }
  friend bool operator==(const ClipboardText&, const ClipboardText&) = default;
};

// The text put for one paste: the tool's before and after texts (code page
// 932) around a text taken from the clipboard, kept as it was.
struct PasteText {
  Bytes before;
  ClipboardText selection;
  Bytes after;
};

// A clipboard format as the user may be told about it: the standard number,
// or a registered format's name.
struct ClipboardFormatName {
  std::uint32_t id = 0;
  std::string name;  // empty for the standard formats
  friend bool operator==(const ClipboardFormatName&, const ClipboardFormatName&) = default;
};

// Every format the clipboard held at one moment, so that a delivery can give
// the user back images, file lists and rich text, not only the text. Formats
// the system makes from others (the text forms from one another, the bitmap
// forms, the metafile forms) are kept once, in the form the owner put there.
struct ClipboardSnapshot {
  struct Format {
    std::uint32_t id = 0;
    std::string name;   // registered formats are restored by name
    std::string data;   // raw bytes of the memory block (an enhanced metafile's bits)
  };
  std::vector<Format> formats;
  // Formats the clipboard held but the snapshot could not keep: a handle
  // that is no memory block, or a rendering that did not come in time.
  std::vector<ClipboardFormatName> notKept;
  bool Empty() const { return formats.empty(); }
};

// How putting a snapshot back went.
struct RestoreOutcome {
  bool opened = false;  // false: the clipboard could not be opened, nothing changed
  std::vector<ClipboardFormatName> notRestored;  // the others are back
};

// Who has read the text put for one paste.
enum class PasteRead {
  kUnknown,   // the text was put at once, so nobody can tell
  kNotRead,
  kByOther,   // only programs other than the reader (a clipboard monitor)
  kByReader,  // the reader's process read it
};

// How a put that depends on the clipboard being unchanged went.
enum class PutResult {
  kPut,
  kChanged,      // the sequence number had moved: nothing was put
  kUnavailable,  // the clipboard could not be opened or filled
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // False when no text is there.
  virtual bool HasText() = 0;
  // The text as CF_UNICODETEXT. nullopt: the clipboard could not be opened;
  // an empty text: it holds none.
  virtual std::optional<ClipboardText> GetText() = 0;
  // Replaces the whole content with a text for one paste by a window of
  // process `reader`: CF_UNICODETEXT first (the before and after texts
  // converted from code page 932, the selection as it was), CF_TEXT beside it
  // (code page 932, "?" for a character it lacks, for programs that read
  // only that) and the Japanese locale. Handed over on demand where the
  // system allows it, so PasteTextRead() can tell when the reader took it;
  // marked so clipboard history and monitors skip it.
  virtual bool PutForPaste(const PasteText& text, std::uint32_t reader) = 0;
  // PutForPaste, but only while the sequence number is still `sequence`,
  // looked at inside the same opening of the clipboard, so a change another
  // program makes cannot slip in between the look and the put.
  virtual PutResult PutForPasteIfUnchanged(const PasteText& text, std::uint32_t reader, std::uint32_t sequence) = 0;
  virtual PasteRead PasteTextRead() = 0;
  virtual bool Empty() = 0;
  // GetOpenClipboardWindow() != null.
  virtual bool IsHeldOpen() = 0;
  // nullopt: the clipboard could not be opened. Never takes long: a format
  // whose owner does not render it in time is listed in `notKept`.
  virtual std::optional<ClipboardSnapshot> Snapshot() = 0;
  // Puts every format back, marked so clipboard history does not store the
  // user's content a second time; an empty snapshot leaves an empty clipboard.
  virtual RestoreOutcome Restore(const ClipboardSnapshot& snapshot) = 0;
  virtual std::uint32_t SequenceNumber() = 0;
  // The process of the window that owns the content (the last one that
  // emptied the clipboard); 0 when no window owns it.
  virtual std::uint32_t OwnerProcess() = 0;
  // True while what the tool put there last (a text, an empty clipboard or a
  // restored state) is still there: no other program has emptied the
  // clipboard since. Reading a text on demand does not change this, whatever
  // the sequence number does meanwhile.
  virtual bool HoldsOwnContent() = 0;
};

}  // namespace quiltor
