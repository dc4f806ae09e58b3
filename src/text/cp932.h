#pragma once
// The one place that knows code page 932: which bytes start a double-byte
// character, where a text may be cut, how names fold their case, and how
// paths split into folder, file name and extension. Every text the core keeps
// is such bytes; a second byte 0x5C ("表") or 0x7C is never a separator.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace quiltor {

// True for a first byte of a double-byte character.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes of the character at `pos`: 2 for a lead byte with a byte after it,
// else 1 (a lone lead byte at the end is a character of its own).
std::size_t CharacterLength(std::string_view text, std::size_t pos);

// Length of the longest prefix of at most `limit` bytes that does not end
// inside a double-byte character. A lead byte with nothing after it is a
// character cut in two and is left out, so "ab\x82" gives 2 for any limit.
std::size_t FitOnCharacterBoundary(std::string_view text, std::size_t limit);
// That prefix itself.
Bytes CutOnCharacterBoundary(std::string_view text, std::size_t limit);
// The last `count` bytes or fewer, starting on a character boundary.
Bytes TailOnCharacterBoundary(std::string_view text, std::size_t count);

// ASCII letters lowered; second bytes of double-byte characters kept, so two
// different kanji never compare equal.
char LowerAscii(char c);
Bytes FoldAsciiCase(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// ---- Paths ----------------------------------------------------------------
// Separators are "\", "/" and, for the drive, ":".

// Start of the file-name part: just after the last separator.
std::size_t FileNameStart(std::string_view path);
// The file-name part ("memo.txt" of "C:\doc\memo.txt").
Bytes FileNamePart(std::string_view path);
// The folder part with its trailing separator ("C:\doc\"; "" when none).
Bytes FolderOf(std::string_view path);
// The folder as a file dialog takes it: no trailing backslash, except for a
// drive root ("C:\doc", "C:\").
Bytes FolderWithoutTrailingSeparator(std::string_view path);
// A path that names its drive or starts at a root ("C:\x", "\\server\x").
bool IsAbsolutePath(std::string_view path);
// `folder` + `path` with exactly one backslash between them ("" folder: path);
// an absolute `path` stands on its own.
Bytes JoinPath(std::string_view folder, std::string_view path);
// The extension of the file-name part without its dot ("" when none).
Bytes FileExtension(std::string_view path);
// The path with the extension of its file-name part replaced (or added);
// `extension` includes its dot.
Bytes ReplaceExtension(std::string_view path, std::string_view extension);

}  // namespace quiltor
