#pragma once
// Every text of the core that a user sees or that is stored in a file, as
// code page 932 bytes; the window's own texts (UTF-16) are in
// src/ui/messages.cpp and src/ui/delivery_messages.cpp. Each constant has its
// readable form above it, and a Win32 test (tests/win/texts_test.cpp) checks
// that the bytes say exactly that, so a byte slip cannot hide here.

namespace quiltor::texts {

// Settings.
// "共通": the name of the common file kind.
inline constexpr char kCommonKindName[] = "\x8b\xa4\x92\xca";
// The default "FileFilter": eight entries, each "name|pattern||".
// 全ﾌｧｲﾙ（*.*）, ﾃｷｽﾄﾌｧｲﾙ（*.txt）, ﾊﾞｯﾁﾌｧｲﾙ（*.bat）, HTML関連（*.html;*.htm;*.js）,
// CGI＆Perl（*.cgi;*.pl）, C言語関連（*.c;*.cpp;*.h;*.hpp）, ｱｾﾝﾌﾞﾗ関連（*.asm;*.inc）, HSPｿｰｽ（*.as）
inline constexpr char kDefaultFileFilter[] =
    "\x91S\xcc\xa7\xb2\xd9\x81i*.*\x81j|*.*||"
    "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9\x81i*.txt\x81j|*.txt||"
    "\xca\xde\xaf\xc1\xcc\xa7\xb2\xd9\x81i*.bat\x81j|*.bat||"
    "HTML\x8a\xd6\x98"
    "A\x81i*.html;*.htm;*.js\x81j|*.html;*.htm;*.js||"
    "CGI\x81\x95Perl\x81i*.cgi;*.pl\x81j|*.cgi;*.pl||"
    "C\x8c\xbe\x8c\xea\x8a\xd6\x98"
    "A\x81i*.c;*.cpp;*.h;*.hpp\x81j|*.c;*.cpp;*.h;*.hpp||"
    "\xb1\xbe\xdd\xcc\xde\xd7\x8a\xd6\x98"
    "A\x81i*.asm;*.inc\x81j|*.asm;*.inc||"
    "HSP\xbf\xb0\xbd\x81i*.as\x81j|*.as||";
// "関連付けﾌｧｲﾙ実行": the first entry of the program list.
inline constexpr char kAssociatedProgramItem[] = "\x8a\xd6\x98\x41\x95\x74\x82\xaf\xcc\xa7\xb2\xd9\x8e\xc0\x8d\x73";

// Editor tests and detection.
// "正常に送信されました ( ^^)／"
inline constexpr char kTestBefore[] =
    "\x90\xb3\x8f\xed\x82\xc9\x91\x97\x90\x4d\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd ( ^^)\x81\x5e";
// "＼(^^ )"
inline constexpr char kTestAfter[] = "\x81\x5f(^^ )";
// "親ｳｨﾝﾄﾞｳ": the first row of the detection dialog's window list.
inline constexpr char kParentWindowRow[] = "\x90\x65\xb3\xa8\xdd\xc4\xde\xb3";

// Data pages.
// " ───────────────": the caption of a separator row.
inline constexpr char kSeparatorCaption[] =
    " \x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f\x84\x9f"
    "\x84\x9f\x84\x9f";
inline constexpr char kEndMarkerCaption[] = "       *** end of data ***     ";
inline constexpr char kLoadingText[] = " >>> Loading...";

// Items.
// "スクリプト"
inline constexpr char kScriptKindName[] = "\x83\x58\x83\x4e\x83\x8a\x83\x76\x83\x67";
// "モジュール"
inline constexpr char kModuleKindName[] = "\x83\x82\x83\x57\x83\x85\x81\x5b\x83\x8b";
// "実行ファイルが見つかりません"
inline constexpr char kProgramMissingText[] =
    "\x8e\xc0\x8d\x73\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc"
    "\x82\xb9\x82\xf1";
// "\nるーむわーくでコンパイルしてください"
inline constexpr char kScriptCompileHint[] =
    "\n\x82\xe9\x81\x5b\x82\xde\x82\xed\x81\x5b\x82\xad\x82\xc5\x83\x52\x83\x93\x83\x70\x83\x43\x83\x8b"
    "\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// "実行エラー"
inline constexpr char kRunErrorText[] = "\x8e\xc0\x8d\x73\x83\x47\x83\x89\x81\x5b";

// Data-file errors, put together around a name or a value.
// "くいるとるデータが古い形式です\nるーむわーくで変換してください"
inline constexpr char kOldFormatText[] =
    "\x82\xad\x82\xa2\x82\xe9\x82\xc6\x82\xe9\x83\x66\x81[\x83^\x82\xaa\x8c\xc3\x82\xa2\x8c`\x8e\xae\x82"
    "\xc5\x82\xb7\n\x82\xe9\x81[\x82\xde\x82\xed\x81[\x82\xad\x82\xc5\x95\xcf\x8a\xb7\x82\xb5\x82\xc4\x82"
    "\xad\x82\xbe\x82\xb3\x82\xa2";
// "' は整数ではありません"
inline constexpr char kNotIntegerTail[] =
    "' \x82\xcd\x90\xae\x90\x94\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
// "' の種別コード "
inline constexpr char kTypeCodeMiddle[] = "' \x82\xcc\x8e\xed\x95\xca\x83R\x81[\x83h ";
// "' のメニュー項目数 "
inline constexpr char kMenuCountMiddle[] = "' \x82\xcc\x83\x81\x83j\x83\x85\x81[\x8d\x80\x96\xda\x90\x94 ";
// " は不正です"
inline constexpr char kInvalidTail[] = " \x82\xcd\x95s\x90\xb3\x82\xc5\x82\xb7";
// "' のセクションがありません"
inline constexpr char kMissingSectionTail[] =
    "' \x82\xcc\x83Z\x83N\x83V\x83\x87\x83\x93\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
// "データファイル '"
inline constexpr char kUnreadableHead[] = "\x83\x66\x81[\x83^\x83t\x83@\x83\x43\x83\x8b '";
// "' を読み込めません"
inline constexpr char kUnreadableTail[] = "' \x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";

}  // namespace quiltor::texts
