// The core's texts are code page 932 bytes written as escapes; each must say
// exactly its readable twin below, as Windows itself converts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "text/texts.h"

namespace {

std::wstring FromCp932(const char* bytes) {
  const int length = static_cast<int>(std::char_traits<char>::length(bytes));
  if (length == 0) return {};
  const int size = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
  if (size <= 0) return L"<not code page 932>";
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, length, text.data(), size);
  return text;
}

TEST(TextsTest, EveryCoreTextSaysWhatItsReadableTwinSays) {
  using namespace quiltor::texts;
  const struct {
    const char* name;
    const char* bytes;
    const wchar_t* readable;
  } cases[] = {
      {"kCommonKindName", kCommonKindName, L"共通"},
      {"kDefaultFileFilter", kDefaultFileFilter,
       L"全ﾌｧｲﾙ（*.*）|*.*||ﾃｷｽﾄﾌｧｲﾙ（*.txt）|*.txt||ﾊﾞｯﾁﾌｧｲﾙ（*.bat）|*.bat||"
       L"HTML関連（*.html;*.htm;*.js）|*.html;*.htm;*.js||CGI＆Perl（*.cgi;*.pl）|*.cgi;*.pl||"
       L"C言語関連（*.c;*.cpp;*.h;*.hpp）|*.c;*.cpp;*.h;*.hpp||ｱｾﾝﾌﾞﾗ関連（*.asm;*.inc）|*.asm;*.inc||"
       L"HSPｿｰｽ（*.as）|*.as||"},
      {"kAssociatedProgramItem", kAssociatedProgramItem, L"関連付けﾌｧｲﾙ実行"},
      {"kTestBefore", kTestBefore, L"正常に送信されました ( ^^)／"},
      {"kTestAfter", kTestAfter, L"＼(^^ )"},
      {"kParentWindowRow", kParentWindowRow, L"親ｳｨﾝﾄﾞｳ"},
      {"kSeparatorCaption", kSeparatorCaption, L" ───────────────"},
      {"kScriptKindName", kScriptKindName, L"スクリプト"},
      {"kModuleKindName", kModuleKindName, L"モジュール"},
      {"kProgramMissingText", kProgramMissingText, L"実行ファイルが見つかりません"},
      {"kScriptCompileHint", kScriptCompileHint, L"\nるーむわーくでコンパイルしてください"},
      {"kRunErrorText", kRunErrorText, L"実行エラー"},
      {"kOldFormatText", kOldFormatText, L"くいるとるデータが古い形式です\nるーむわーくで変換してください"},
      {"kNotIntegerTail", kNotIntegerTail, L"' は整数ではありません"},
      {"kTypeCodeMiddle", kTypeCodeMiddle, L"' の種別コード "},
      {"kMenuCountMiddle", kMenuCountMiddle, L"' のメニュー項目数 "},
      {"kInvalidTail", kInvalidTail, L" は不正です"},
      {"kMissingSectionTail", kMissingSectionTail, L"' のセクションがありません"},
      {"kUnreadableHead", kUnreadableHead, L"データファイル '"},
      {"kUnreadableTail", kUnreadableTail, L"' を読み込めません"},
  };
  for (const auto& c : cases) EXPECT_EQ(FromCp932(c.bytes), c.readable) << c.name;
}

}  // namespace
