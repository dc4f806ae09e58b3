#include "text/cp932.h"

namespace quiltor {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// Position of the last "." of the file-name part, or npos.
std::size_t ExtensionDot(std::string_view path) {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = FileNameStart(path); i < path.size(); i += CharacterLength(path, i)) {
    if (path[i] == '.') dot = i;
  }
  return dot;
}

}  // namespace

std::size_t CharacterLength(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

std::size_t FitOnCharacterBoundary(std::string_view text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    // A lone lead byte at the end needs a second byte it does not have.
    const std::size_t length = IsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    if (end + length > limit || end + length > text.size()) break;
    end += length;
  }
  return end;
}

Bytes CutOnCharacterBoundary(std::string_view text, std::size_t limit) {
  return Bytes(text.substr(0, FitOnCharacterBoundary(text, limit)));
}

Bytes TailOnCharacterBoundary(std::string_view text, std::size_t count) {
  if (count >= text.size()) return Bytes(text);
  const std::size_t wanted = text.size() - count;
  std::size_t pos = 0;
  while (pos < wanted) pos += CharacterLength(text, pos);
  return Bytes(text.substr(pos));
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

Bytes FoldAsciiCase(std::string_view text) {
  Bytes folded(text);
  for (std::size_t i = 0; i < folded.size(); i += CharacterLength(folded, i)) folded[i] = LowerAscii(folded[i]);
  return folded;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldAsciiCase(a) == FoldAsciiCase(b);
}

std::size_t FileNameStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); i += CharacterLength(path, i)) {
    if (IsSeparator(path[i])) start = i + 1;
  }
  return start;
}

Bytes FileNamePart(std::string_view path) { return Bytes(path.substr(FileNameStart(path))); }

Bytes FolderOf(std::string_view path) { return Bytes(path.substr(0, FileNameStart(path))); }

Bytes FolderWithoutTrailingSeparator(std::string_view path) {
  Bytes folder = FolderOf(path);
  const bool driveRoot = folder.size() == 3 && folder[1] == ':';
  if (!folder.empty() && !driveRoot && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

bool IsAbsolutePath(std::string_view path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) || (path.size() >= 2 && path[1] == ':');
}

Bytes JoinPath(std::string_view folder, std::string_view path) {
  if (folder.empty() || IsAbsolutePath(path)) return Bytes(path);
  if (FileNameStart(folder) == folder.size()) return Bytes(folder) + Bytes(path);
  return Bytes(folder) + "\\" + Bytes(path);
}

Bytes FileExtension(std::string_view path) {
  const std::size_t dot = ExtensionDot(path);
  return dot == std::string_view::npos ? Bytes() : Bytes(path.substr(dot + 1));
}

Bytes ReplaceExtension(std::string_view path, std::string_view extension) {
  const std::size_t dot = ExtensionDot(path);
  return Bytes(path.substr(0, dot == std::string_view::npos ? path.size() : dot)) + Bytes(extension);
}

}  // namespace quiltor
