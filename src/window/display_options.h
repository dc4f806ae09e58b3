#pragma once
// The display options of the tool window, as the menu "表示状態設定" and the
// window-fix button set them. The window shows them; it never reads them back
// from a menu check or a button state.
namespace quiltor {

struct DisplayOptions {
  bool toolBar = true;     // "ツールバー表示"
  bool autoSmall = false;  // "自動縮小": shrink when the tool loses activation
  bool stayOnTop = false;  // "常に手前に表示"
  bool hideIcon = false;   // "アイコン非表示"; only in force while stayOnTop is on
  bool fixed = false;      // SpeedButtonFix down: no automatic shrink, kept on top

  // "アイコン非表示" can be chosen only while the window stays on top.
  bool HideIconEnabled() const { return stayOnTop; }
  bool HideIconInEffect() const { return HideIconEnabled() && hideIcon; }
  // The window-fix button keeps the window on top even without "常に手前に表示".
  bool Topmost() const { return stayOnTop || fixed; }
  // While the window is fixed these two cannot be changed.
  bool AutoSmallEnabled() const { return !fixed; }
  bool StayOnTopEnabled() const { return !fixed; }
  // The automatic shrink acts only when chosen and the window is not fixed.
  bool ShrinksAutomatically() const { return autoSmall && !fixed; }
};

}  // namespace quiltor
