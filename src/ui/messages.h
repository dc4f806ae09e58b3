#pragma once
// The wording of the tool's own messages, and showing them.
#include <windows.h>

#include <string>

#include "window/main_view.h"

namespace quiltor {

// The text of a message, its subject (code page 932) put in.
std::wstring MessageText(MessageId id, const Bytes& subject);
// MB_ flags of a message's kind and buttons.
UINT MessageFlags(MessageKind kind, MessageButtons buttons);
Answer AnswerOf(int pressed);

}  // namespace quiltor
