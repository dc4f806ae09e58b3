#pragma once
// The wording of the tool's own messages, and showing them.
#include <windows.h>

#include <string>
#include <string_view>

#include "window/main_view.h"

namespace quiltor {

// The text of a message, its subject (code page 932) put in.
std::wstring MessageText(MessageId id, const Bytes& subject);
// MB_ flags of a message's kind and buttons.
UINT MessageFlags(MessageKind kind, MessageButtons buttons);
Answer AnswerOf(int pressed);
// The warning for a name or text given to the tool that holds a character
// code page 932 lacks: the tool keeps its texts in that code page and
// refuses the text rather than change it.
std::wstring UnrepresentableText(std::wstring_view text);

}  // namespace quiltor
