#include "ui/delivery_messages.h"

#include "platform/win32/text_codec.h"

namespace quiltor {

std::wstring ClipboardFormatLabel(const ClipboardFormatName& format) {
  if (!format.name.empty()) return FromAnsi(format.name);
  switch (format.id) {
    case 1: return L"テキスト";
    case 2: return L"ビットマップ";
    case 3: return L"メタファイル";
    case 7: return L"OEM テキスト";
    case 8: return L"DIB ビットマップ";
    case 9: return L"パレット";
    case 13: return L"Unicode テキスト";
    case 14: return L"拡張メタファイル";
    case 15: return L"ファイル一覧";
    case 16: return L"ロケール";
    case 17: return L"DIB V5 ビットマップ";
    case 0x80: return L"オーナー描画";
    default: return L"形式 " + std::to_wstring(format.id);
  }
}

namespace {

std::wstring WithFormats(const wchar_t* text, std::span<const ClipboardFormatName> formats) {
  std::wstring message = text;
  for (const ClipboardFormatName& format : formats) message += L"\n\u3000" + ClipboardFormatLabel(format);
  return message;
}

}  // namespace

std::wstring DeliveryMessage(DeliveryStatus status, std::span<const ClipboardFormatName> formats) {
  switch (status) {
    case DeliveryStatus::kOk:
      return std::wstring();
    case DeliveryStatus::kClipboardUnavailable:
      return L"クリップボードを開くことができません";
    case DeliveryStatus::kFocusRefused:
      return L"書き込み先のウィンドウを前面に出せませんでした\nキー操作は送っていません";
    case DeliveryStatus::kInputRefused:
      return L"キー操作の送信が Windows に拒否されました";
    case DeliveryStatus::kTargetHung:
      return L"書き込み先のウィンドウが応答していません";
    case DeliveryStatus::kTargetProtected:
      return L"書き込み先のウィンドウが操作を受け付けません\n(管理者として実行中のプログラムなど)";
    case DeliveryStatus::kTargetElevated:
      return L"管理者として実行中のエディタには書き込めません";
    case DeliveryStatus::kTargetGone:
      return L"書き込み先のウィンドウが見つかりません";
    case DeliveryStatus::kCutProducedNothing:
      return L"選択範囲の文字列を取得できませんでした\n何も書き込んでいません";
    case DeliveryStatus::kLateCutOnClipboard:
      return L"エディタが遅れて切り取った文字列はクリップボードにあります\n"
             L"それより前のクリップボードの内容は戻せませんでした";
    case DeliveryStatus::kTextNotTaken:
      return L"書き込み先のウィンドウが文字列を受け取りませんでした";
    case DeliveryStatus::kFormatsNotKept:
      return WithFormats(L"クリップボードの次の形式は保存できず、元に戻せませんでした:", formats);
    case DeliveryStatus::kFormatsNotRestored:
      return WithFormats(L"クリップボードの次の形式を元に戻せませんでした:", formats);
    case DeliveryStatus::kSelectionNotAnsi:
      return L"選択範囲にモジュールへ渡せない文字 (絵文字、ハングルなど) が含まれています\n"
             L"モジュールは実行していません";
  }
  return std::wstring();
}

}  // namespace quiltor
