#pragma once
// Linked mode's current-file display: ComboBoxFile (the open-file list, a
// light-yellow drop-down list with red text) and the panel PanelFilePath over
// its face, which shows the shortened path of the selected entry twice (a
// silver LabelFilePath2 two pixels right and one down under a black
// LabelFilePath1) with the full path as its tool tip.
#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "ui/base_window.h"

namespace quiltor {

class LinkedSession;

class PathPanel : public BaseWindow<PathPanel> {
 public:
  bool Create(HWND parent, HFONT font);
  void SetFont(HFONT font, int dpi);
  // `label` (the shortened path), and whether the black label shows (linked
  // mode); the silver one always shows, so a path stays visible greyed.
  void SetTexts(const std::wstring& label, bool blackShown);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void OnPaint();
  HFONT font_ = nullptr;
  int dpi_ = 96;
  HWND label1_ = nullptr;  // LabelFilePath1: holds the text (drawn by the panel)
  HWND label2_ = nullptr;  // LabelFilePath2
  bool blackShown_ = true;
};

class FilePanel {
 public:
  // Ids of the combo box and of the two labels inside PathPanel.
  static constexpr int kComboId = 138;
  static constexpr int kLabel1Id = 1;
  static constexpr int kLabel2Id = 2;

  bool Create(HWND parent, HWND tooltip, HFONT font);
  // The window's font at another DPI.
  void SetFont(HFONT font, int dpi);
  void Place(int top, int width, int dpi);
  // Entries, selection, labels and hint from the session; `linked` enables
  // the combo box and shows the black label.
  void Render(const LinkedSession& session, bool linked);
  HWND Combo() const { return combo_; }
  int Selection() const;
  // WM_CTLCOLORLISTBOX of the open list: light yellow with red text.
  HBRUSH ListColors(HDC dc) const;

 private:
  void FitFileDropDown(const LinkedSession& session);
  HWND parent_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND combo_ = nullptr;
  HFONT font_ = nullptr;
  PathPanel panel_;
  GdiObject yellow_;
  std::wstring hint_;
};

}  // namespace quiltor
