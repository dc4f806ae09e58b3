#include "companion.h"

#include <cstdint>
#include <limits>

#include "exchange/command_line.h"
#include "text/cp932.h"

namespace quiltor {

namespace {

std::optional<int> SwitchValue(const Bytes& value) {
  const std::optional<std::int64_t> number = ParseSwitchInteger(value);
  if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*number);
}

bool IsFullPath(const Bytes& path) {
  return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// The folder part without its trailing separator, case folded, for comparing folders.
Bytes FolderKey(std::string_view path) {
  Bytes folder = FoldAsciiCase(FolderOf(path));
  for (std::size_t i = 0; i < folder.size(); i += CharacterLength(folder, i)) {
    if (folder[i] == '/') folder[i] = '\\';
  }
  if (!folder.empty() && FileNameStart(folder) == folder.size()) folder.pop_back();
  return folder;
}

// ; くいるとるデータ: ページごとに [MenuNN] (ボタン) と [EditNN] (テキスト) があります
const char kCommentPages[] =
    "; \x82\xad\x82\xa2\x82\xe9\x82\xc6\x82\xe9\x83" "f\x81[\x83^: \x83y\x81[\x83W\x82\xb2\x82\xc6\x82\xc9 [MenuNN] "
    "(\x83{\x83^\x83\x93) \x82\xc6 [EditNN] (\x83" "e\x83L\x83X\x83g) \x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7";
// ; 項目 = 種別コード2桁, 1文字, 表題 (00 テキスト / 07-12 モジュール / 13,NN, メニュー)
const char kCommentItems[] =
    "; \x8d\x80\x96\xda = \x8e\xed\x95\xca\x83R\x81[\x83h2\x8c\x85, 1\x95\xb6\x8e\x9a, \x95\\\x91\xe8 (00 \x83" "e"
    "\x83L\x83X\x83g / 07-12 \x83\x82\x83W\x83\x85\x81[\x83\x8b / 13,NN, \x83\x81\x83j\x83\x85\x81[)";
// ; テキスト: a = 選択範囲の前に書く文字列, b = 後に書く文字列 (\n で改行)
const char kCommentTexts[] =
    "; \x83" "e\x83L\x83X\x83g: a = \x91I\x91\xf0\x94\xcd\x88\xcd\x82\xcc\x91O\x82\xc9\x8f\x91\x82\xad\x95\xb6\x8e"
    "\x9a\x97\xf1, b = \x8c\xe3\x82\xc9\x8f\x91\x82\xad\x95\xb6\x8e\x9a\x97\xf1 (\\n \x82\xc5\x89\xfc\x8ds)";
const char kFirstPageTitle[] = "\x83y\x81[\x83W1";                       // ページ1
const char kFirstItemCaption[] = "\x82\xa0\x82\xa2\x82\xb3\x82\xc2";      // あいさつ
const char kFirstItemText[] = "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd";  // こんにちは

}  // namespace

CompanionArguments ParseCompanionArguments(const std::vector<Bytes>& arguments) {
  CompanionArguments parsed;
  Bytes file;
  for (const Bytes& argument : arguments) {
    if (argument.size() >= 2 && argument[0] == '/' && (argument[1] == 'L' || argument[1] == 'T')) {
      (argument[1] == 'L' ? parsed.left : parsed.top) = SwitchValue(argument.substr(2));
      continue;
    }
    if (!file.empty()) file += ' ';
    file += argument;
  }
  if (!file.empty()) parsed.dataFile = file;
  return parsed;
}

Bytes DataFileFullPath(const Bytes& programFolder, const Bytes& argument) {
  return IsFullPath(argument) ? argument : JoinPath(programFolder, argument);
}

NewFilePlace CheckNewDataFilePath(const Bytes& programFolder, const Bytes& path, const Bytes& userFolder) {
  if (!EqualsIgnoringAsciiCase(FileExtension(path), "edt")) return NewFilePlace::kNotDataFile;
  const Bytes folder = FolderKey(path);
  for (const Bytes& place : {programFolder, userFolder}) {
    if (place.empty()) continue;
    const Bytes listed = FolderKey(JoinPath(place, "x"));
    // The folder itself, or a direct subfolder: its own folder is the place.
    if (folder == listed || FolderKey(folder) == listed) return NewFilePlace::kOk;
  }
  return NewFilePlace::kOutside;
}

Bytes NewDataFileText(const Bytes& path) {
  const Bytes title = ReplaceExtension(FileNamePart(path), "");
  const Bytes lines[] = {
      kCommentPages, kCommentItems, kCommentTexts,
      "[Version]",   "No=170",
      "[Group]",     "Count=1",     "Title=" + title,
      "[Menu00]",    Bytes("Title=") + kFirstPageTitle, "Count=1", Bytes("M00=00,") + kFirstItemCaption,
      "[Edit00]",    Bytes("M00a=") + kFirstItemText,   "M00b=",
  };
  Bytes text;
  for (const Bytes& line : lines) text += line + "\r\n";
  return text;
}

EditorChoice ChooseDataFileEditor(const FileKinds& kinds) {
  for (std::size_t i = kinds.size(); i-- > 1;) {
    const FileKind& kind = kinds[i];
    if (EqualsIgnoringAsciiCase(kind.ext, "edt") && !kind.editerPath.empty()) return {kind.editerPath, kind.editerParam};
  }
  return {kDefaultEditor, ""};
}

}  // namespace quiltor
