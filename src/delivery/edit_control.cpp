#include "delivery/edit_control.h"

#include <array>

#include "text/cp932.h"

namespace quiltor {
namespace {

constexpr std::uint32_t kPositionLimit = 0xFFFF;

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

struct Selection {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
};

// EM_GETSEL with no pointers: the start in the low word, the end in the high
// word, -1 when a position does not fit into a word.
std::optional<Selection> AskPositions(WindowSystem& windows, WindowId control, std::uint32_t timeoutMs) {
  const SendResult result = windows.SendWithin(control, kEmGetSel, timeoutMs, 0, 0);
  if (result.status != SendStatus::kDone) return std::nullopt;
  const auto packed = static_cast<std::uint32_t>(result.value);
  if (result.value == -1 || packed == 0xFFFFFFFFu) return std::nullopt;
  return Selection{packed & 0xFFFFu, packed >> 16};
}

}  // namespace

EditControlKind EditControlKindOf(std::string_view className) {
  if (EqualsIgnoringAsciiCase(className, "Edit")) return EditControlKind::kEdit;
  if (StartsWithIgnoringCase(className, "RichEdit")) return EditControlKind::kRichEdit;
  if (EqualsIgnoringAsciiCase(className, "Scintilla")) return EditControlKind::kScintilla;
  return EditControlKind::kUnknown;
}

SelectionAnswer AskSelection(WindowSystem& windows, WindowId control, std::uint32_t timeoutMs) {
  SelectionAnswer answer;
  answer.kind = EditControlKindOf(windows.ClassName(control));
  switch (answer.kind) {
    case EditControlKind::kUnknown:
      return answer;
    case EditControlKind::kScintilla: {
      const SendResult result = windows.SendWithin(control, kSciGetSelectionEmpty, timeoutMs, 0, 0);
      if (result.status != SendStatus::kDone) return answer;
      answer.state = result.value != 0 ? SelectionAnswer::State::kEmpty : SelectionAnswer::State::kNotEmpty;
      return answer;
    }
    case EditControlKind::kEdit:
    case EditControlKind::kRichEdit:
      break;
  }
  const std::optional<Selection> selection = AskPositions(windows, control, timeoutMs);
  if (!selection) return answer;
  if (selection->start != selection->end) {
    answer.state = SelectionAnswer::State::kNotEmpty;
    return answer;
  }
  answer.state = SelectionAnswer::State::kEmpty;
  // Some systems cut positions past 65535 to 16 bits instead of answering
  // -1: a caret is used only while the whole text stays within that.
  const SendResult length = windows.SendWithin(control, kWmGetTextLength, timeoutMs, 0, 0);
  if (length.status == SendStatus::kDone && length.value >= 0 && length.value < kPositionLimit)
    answer.caret = selection->start;
  return answer;
}

std::optional<std::uint32_t> AskCaret(WindowSystem& windows, WindowId control, std::uint32_t timeoutMs) {
  const std::optional<Selection> selection = AskPositions(windows, control, timeoutMs);
  if (!selection || selection->start != selection->end) return std::nullopt;
  return selection->start;
}

std::size_t PositionsOf(std::string_view text, PositionUnits units) {
  if (units == PositionUnits::kBytes) return text.size();
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    // Every code page 932 character is one UTF-16 unit.
    const bool lineEnd = text.compare(pos, 2, "\r\n") == 0;
    pos += lineEnd ? 2 : CharacterLength(text, pos);
    count += lineEnd && units == PositionUnits::kUtf16 ? 2 : 1;
  }
  return count;
}

std::span<const PositionUnits> LikelyUnits(EditControlKind kind) {
  static constexpr std::array<PositionUnits, 2> kEdit = {PositionUnits::kUtf16, PositionUnits::kBytes};
  // The first rich edit version kept "\r\n" as two characters.
  static constexpr std::array<PositionUnits, 2> kRichEdit = {PositionUnits::kUtf16OneLineEnd, PositionUnits::kUtf16};
  if (kind == EditControlKind::kRichEdit) return kRichEdit;
  if (kind == EditControlKind::kEdit) return kEdit;
  return {};
}

std::size_t CaretStepsOver(std::string_view text) { return PositionsOf(text, PositionUnits::kUtf16OneLineEnd); }

}  // namespace quiltor
