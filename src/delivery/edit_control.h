#pragma once
// What the tool may ask another program's edit window about its selection,
// and how such a window counts the positions of a text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/types.h"
#include "platform/window_system.h"

namespace quiltor {

inline constexpr std::uint32_t kWmGetTextLength = 0x000E;
inline constexpr std::uint32_t kEmGetSel = 0x00B0;
inline constexpr std::uint32_t kEmSetSel = 0x00B1;
inline constexpr std::uint32_t kEmSetModify = 0x00B9;
inline constexpr std::uint32_t kSciGetSelectionEmpty = 2650;

// The edit windows whose answers the tool understands. Any other window is
// never asked: its default window procedure answers 0 to everything, which
// would read as "nothing selected", and a paste would then replace a real
// selection.
enum class EditControlKind {
  kUnknown,
  kEdit,       // the standard edit control
  kRichEdit,   // every rich edit version ("RichEdit20W", "RICHEDIT50W", ...)
  kScintilla,  // says whether its selection is empty, not where it is
};
EditControlKind EditControlKindOf(std::string_view className);

// A selection as its window told it.
struct SelectionAnswer {
  enum class State { kUnknown, kEmpty, kNotEmpty };
  State state = State::kUnknown;
  EditControlKind kind = EditControlKind::kUnknown;
  // With kEmpty: the caret's position, when the window gives positions the
  // tool can use (EM_GETSEL, with the whole text within 16 bits).
  std::optional<std::uint32_t> caret;
  bool Empty() const { return state == State::kEmpty; }
  bool Known() const { return state != State::kUnknown; }
};

// Asks `control` (EM_GETSEL, or SCI_GETSELECTIONEMPTY), each question within
// `timeoutMs`. A window of another class, one that does not answer in time
// or refuses, and EM_GETSEL's -1 (a position past 65535) all give kUnknown.
SelectionAnswer AskSelection(WindowSystem& windows, WindowId control, std::uint32_t timeoutMs);

// EM_GETSEL's caret when nothing is selected; nullopt otherwise, and when
// the answer cannot be had or read.
std::optional<std::uint32_t> AskCaret(WindowSystem& windows, WindowId control, std::uint32_t timeoutMs);

// How a window counts the positions of a code page 932 text after a paste.
enum class PositionUnits {
  kUtf16,            // an edit control: a UTF-16 unit per character, "\r\n" as two
  kUtf16OneLineEnd,  // a rich edit control: it keeps every line end as one character
  kBytes,            // an ANSI edit control on a double-byte system counts bytes
};
std::size_t PositionsOf(std::string_view text, PositionUnits units);
// The ways `kind` may count, the likely one first.
std::span<const PositionUnits> LikelyUnits(EditControlKind kind);

// Left-arrow presses that cross `text` in any edit window: one per
// character, a line end ("\r\n", "\r" or "\n") once.
std::size_t CaretStepsOver(std::string_view text);

}  // namespace quiltor
