#pragma once
// The editor detection dialog's rules: the test editor's top-level windows
// and the descendants of a chosen one, their class names, the test write (or
// copy) into a chosen window, the values OK hands back to the settings
// dialog, and closing the test editor.
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "delivery/delivery.h"
#include "platform/types.h"
#include "platform/window_system.h"
#include "settings/setup_copy.h"
#include "settings/setup_lists.h"

namespace quiltor {

// Row 0 of the child list, carrying the chosen top-level window: "親ｳｨﾝﾄﾞｳ".
extern const char kParentWindowRow[];

// A window handle as a row shows it: eight upper-case hexadecimal digits.
Bytes HandleText(WindowId window);

// Widths of the dialog's client area in dialog units: the cut & paste
// controls shown, or beyond the right edge.
inline constexpr int kDetectionWideWidth = 298;
inline constexpr int kDetectionNarrowWidth = 206;

// Where the test editor's windows are looked for. The started program may be
// a launcher that hands the file to another process and ends at once, so
// its windows are every top-level window that was not there before the
// start, of whichever process, except the tool's own.
struct DetectionScope {
  std::uint32_t started = 0;   // the process テスト１ started
  std::uint32_t tool = 0;      // the tool's own process
  std::set<WindowId> before;   // the top-level windows just before the start
};

class EditorDetection {
 public:
  // `interval` and `pasteKind` start as the settings dialog's; `radioItem`
  // (its RadioGroupCutPaste) presets the cut & paste buttons, 直接指定 with
  // the keys of `storedCutPasteKey`.
  EditorDetection(DetectionScope scope, int interval, int pasteKind, int radioItem,
                  std::int32_t storedCutPasteKey);

  // ButtonHandleClick: every top-level window new since the start, visible
  // or not, those of the started process first, each group in enumeration
  // order. The child list and class names stay.
  void ListTopWindows(WindowSystem& windows);
  // ListBoxHandle1Click: its class, and the child list "親ｳｨﾝﾄﾞｳ" plus every
  // descendant, row 0 selected.
  void ChooseTop(WindowSystem& windows, std::size_t row);
  // ListBoxHandle2Click: row 0 clears the child class.
  void ChooseChild(WindowSystem& windows, std::size_t row);

  const std::vector<WindowId>& TopRows() const { return topRows_; }
  const std::vector<WindowId>& ChildRows() const { return childRows_; }
  std::vector<Bytes> TopTexts() const;
  std::vector<Bytes> ChildTexts() const;
  std::optional<std::size_t> SelectedTop() const { return selectedTop_; }
  std::optional<std::size_t> SelectedChild() const { return selectedChild_; }
  const Bytes& ParentClass() const { return classWk1_; }
  const Bytes& ChildClass() const { return classWk2_; }

  int pasteKind = 0;  // ﾃｽﾄﾊﾟﾀｰﾝ: 0 ﾒｯｾｰｼﾞ送信, 1 ｶｯﾄ&&ﾍﾟｰｽﾄ
  int interval = 0;
  CutPasteGroup cutPaste;
  bool testCopy = false;  // ｺﾋﾟｰ確認

  int Width() const { return pasteKind == 1 ? kDetectionWideWidth : kDetectionNarrowWidth; }
  // 標準１ or 標準２ as they stand, 直接指定 as composed from the key controls.
  std::int32_t KeySetting() const;

  struct TestResult {
    bool ran = false;  // false: no child row was selected
    DeliveryStatus status = DeliveryStatus::kOk;
    std::optional<Bytes> copied;  // ｺﾋﾟｰ確認: the selection, for a message box
  };
  // ButtonTestClick: writes the test texts into the chosen window, or with
  // ｺﾋﾟｰ確認 copies its selection through `buffer1` (TransferBuffer1), then
  // gives the user's clipboard back.
  TestResult Test(DeliveryRoutines& delivery, std::span<std::uint8_t> buffer1, const Bytes& lineEnd);

  // OK: the writing method and interval, and the class names when a
  // top-level row is chosen (an empty child class unticks the child box).
  void HandOver(LinkedTab& tab) const;
  // Closing: every window written into is undone first (so the editor has
  // nothing left to ask about; an inner window is never closed by itself),
  // then each top-level row of the editor gets the focus, WM_UNDO and
  // WM_CLOSE, its first row brought to the foreground first. All of it is
  // posted, never waited for. The editor is the started process and every
  // process the user chose a row of; when none of the rows is theirs (a
  // launcher that ended, nothing chosen) the process of row 0. A window
  // another program happened to open meanwhile is listed but left alone.
  void CloseEditor(WindowSystem& windows) const;

 private:
  std::vector<WindowId> EditorRows() const;

  DetectionScope scope_;
  std::set<std::uint32_t> chosenProcesses_;
  std::vector<std::uint32_t> rowProcesses_;
  std::vector<WindowId> topRows_;
  std::vector<WindowId> childRows_;
  std::optional<std::size_t> selectedTop_;
  std::optional<std::size_t> selectedChild_;
  Bytes classWk1_;
  Bytes classWk2_;
  std::vector<WindowId> written_;
};

}  // namespace quiltor
