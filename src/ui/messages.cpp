#include "ui/messages.h"

#include "platform/win32/text_codec.h"

namespace quiltor {

std::wstring MessageText(MessageId id, const Bytes& subject) {
  const std::wstring s = FromAnsi(subject);
  switch (id) {
    case MessageId::kText: return s;
    case MessageId::kNotInteger: return L"'" + s + L"' は整数ではありません";
    case MessageId::kCannotWrite: return L"\"" + s + L"\" に書き込めません";
    case MessageId::kOldLibrary:
      return L"システムディレクトリの\"Quiltor.dll\"が古いバージョンです\n最新のファイルと置き換えますか？\n\n"
             L"\u3000\u3000\u3000はい ･･･ 置換\u3000\u3000いいえ ･･･ 削除";
    case MessageId::kLibraryNeedsAdmin:
      return L"\"" + s + L"\" を変更できません\nシステムディレクトリの変更には管理者の権限が必要です";
    case MessageId::kHotKeyRepeatFailed: return L"再編集ホットキーの登録に失敗しました";
    case MessageId::kHotKeyActivateFailed: return L"アクティブホットキーの登録に失敗しました";
    case MessageId::kHelpUnavailable: return L"ヘルプを開けませんでした";
    case MessageId::kNotAvailable: return L"この機能はまだ使えません";
    case MessageId::kFileExists: return s + L"\n指定のファイルは既に存在します。\n\nそのまま開きますか？";
    case MessageId::kFileMissingCreate: return s + L"\nこのファイルは存在しません。\n\n作成しますか？";
    case MessageId::kCannotCreateFile: return L"\"" + s + L"\" を作成できません";
    case MessageId::kWindowClassNotFound: return L"ウィンドウクラスを検出できません\n続行しますか？";
    case MessageId::kEditorNotStarted: return L"エディタ \"" + s + L"\" を起動できません";
    case MessageId::kTargetGone: return L"連動先のウィンドウがありません\n書き込みは行いませんでした";
    case MessageId::kRunFailed: return L"\"" + s + L"\" を実行できません";
    case MessageId::kTimerFailed: return L"タイマーを開始できません";
    case MessageId::kBuffersFailed: return L"受渡しバッファを作成できません";
    case MessageId::kEditorNotAnswering:
      return L"\"" + s + L"\" のエディタが応答しません\nファイルはリストから外しましたが、エディタは閉じていません";
  }
  return s;
}

std::wstring UnrepresentableText(std::wstring_view text) {
  return L"\"" + std::wstring(text) + L"\" には使えない文字が含まれています";
}

UINT MessageFlags(MessageKind kind, MessageButtons buttons) {
  UINT flags = 0;
  switch (kind) {
    case MessageKind::kError: flags = MB_ICONERROR; break;
    case MessageKind::kWarning: flags = MB_ICONWARNING; break;
    case MessageKind::kQuestion: flags = MB_ICONQUESTION; break;
    case MessageKind::kInformation: flags = MB_ICONINFORMATION; break;
  }
  switch (buttons) {
    case MessageButtons::kOk: flags |= MB_OK; break;
    case MessageButtons::kYesNo: flags |= MB_YESNO; break;
    case MessageButtons::kOkCancel: flags |= MB_OKCANCEL; break;
  }
  return flags;
}

Answer AnswerOf(int pressed) {
  switch (pressed) {
    case IDYES: return Answer::kYes;
    case IDNO: return Answer::kNo;
    case IDCANCEL: return Answer::kCancel;
    default: return Answer::kOk;
  }
}

}  // namespace quiltor
