#include "ui/datafile/loomwork_dialog.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "data/data_listing.h"
#include "platform/win32/handles.h"
#include "platform/win32/monitors.h"
#include "platform/win32/text_codec.h"
#include "ui/dpi.h"
#include "ui/datafile/loomwork_ids.h"
#include "ui/message_box.h"

namespace quiltor {

namespace {

// Sizes in 96-dpi units; the dialog scales them to its monitor.
constexpr int kItemHeight = 18;
constexpr int kListFontHeight = 12;
constexpr int kTextTop = 4;
constexpr wchar_t kListFontName[] = L"ＭＳ ゴシック";
constexpr wchar_t kCompanionMissing[] = L"\"るーむわーく\"が見つかりません";
// The warning about a missing companion opens this far from the dialog's corner.
constexpr int kWarningOffset = 50;

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kButtonWidth = 75;
constexpr int kSelectWidth = 100;
constexpr int kButtonHeight = 25;

// Posted when the user drags a header section below its minimum width: the
// header refuses the change and the section is then set to that minimum.
constexpr UINT kMsgClampSection = WM_APP + 1;

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

class TFormLoomwork {
 public:
  TFormLoomwork(HWND owner, const LoomworkDialogInput& input)
      : owner_(owner), input_(input), chooser_(input.files, input.exeFolder, input.userFolder) {}

  std::optional<Bytes> Run() {
    const INT_PTR answer = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TFormLoomwork), owner_,
                                           &TFormLoomwork::DialogProc, reinterpret_cast<LPARAM>(this));
    if (answer == 0 || answer == -1) {
      ShowErrorBox(owner_, L"くいるとるデータの選択画面を開けません");
      return std::nullopt;
    }
    return answer == IDOK ? result_ : std::nullopt;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    // These two arrive before WM_INITDIALOG and need no object.
    if (message == WM_MEASUREITEM) {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure->CtlID != IDC_ListBox) return FALSE;
      measure->itemHeight = static_cast<UINT>(ScaleToDpi(kItemHeight, DpiOfWindow(dialog)));
      return TRUE;
    }
    if (message == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      const int dpi = DpiOfWindow(dialog);
      info->ptMinTrackSize = {ScaleToDpi(kLoomworkDialogWidth, dpi), ScaleToDpi(kLoomworkDialogHeight, dpi)};
      return TRUE;
    }
    TFormLoomwork* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<TFormLoomwork*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      self->hwnd_ = dialog;
    } else {
      self = reinterpret_cast<TFormLoomwork*>(GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
      return self->HandleMessage(message, wparam, lparam);
    } catch (const std::exception& error) {
      ShowErrorBox(dialog, FromAnsi(error.what()));
    } catch (...) {
      ShowErrorBox(dialog, L"予期しないエラーが発生しました");
    }
    // A dialog that could not be set up is not left half made.
    if (message == WM_INITDIALOG) EndDialog(dialog, IDCANCEL);
    return FALSE;
  }

  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_INITDIALOG:
        FormCreate();
        SetFocus(list_);
        return FALSE;  // the focus is set
      case WM_SIZE:
        Layout();
        return TRUE;
      case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (draw->CtlID != IDC_ListBox) return FALSE;
        ListBoxDrawItem(*draw);
        return TRUE;
      }
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header->idFrom != IDC_HeaderControl) return FALSE;
        const LRESULT result = OnHeaderNotify(*header);
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      case kMsgClampSection:
        SetSectionWidth(static_cast<int>(wparam), Px(ClampSectionWidth(static_cast<int>(wparam), 0)));
        return TRUE;
      case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
      default:
        return FALSE;
    }
  }

  void OnCommand(UINT id, UINT code) {
    switch (id) {
      case IDC_ListBox:
        if (code == LBN_SELCHANGE) {
          chooser_.Select(static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)));
          ListBoxClick();
        } else if (code == LBN_DBLCLK) {
          ListBoxDblClick();
        }
        break;
      case IDC_BitBtnSelect:
        BitBtnSelectClick();
        break;
      case IDC_BitBtnLoomworkNew:
        BitBtnLoomworkClick(CompanionButton::kNew);
        break;
      case IDC_BitBtnLoomworkEdit:
        BitBtnLoomworkClick(CompanionButton::kEdit);
        break;
      // The dialog manager turns Enter and Esc into these.
      case IDOK:
        ListBoxKeyPress(VK_RETURN);
        break;
      case IDCANCEL:
        ListBoxKeyPress(VK_ESCAPE);
        break;
      default:
        break;
    }
  }

  void FormCreate() {
    header_ = GetDlgItem(hwnd_, IDC_HeaderControl);
    list_ = GetDlgItem(hwnd_, IDC_ListBox);
    status_ = GetDlgItem(hwnd_, IDC_StatusBar);
    if (!header_ || !list_ || !status_) throw std::runtime_error("dialog controls missing");
    dpi_ = DpiOfWindow(hwnd_);
    CreateFonts();
    InitHeader();
    SendMessageW(status_, SB_SIMPLE, TRUE, 0);
    const int width = Px(kLoomworkDialogWidth);
    const Point at =
        PlaceSelectionDialog(ToRect(input_.mainWindow), width, Win32Monitors().OfRect(ToRect(input_.mainWindow)).work);
    SetWindowPos(hwnd_, nullptr, at.x, at.y, width, Px(kLoomworkDialogHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    chooser_.Fill(input_.currentDataFile);
    FillListBox();
    ListBoxClick();
  }

  int Px(int units) const { return ScaleToDpi(units, dpi_); }

  void CreateFonts() {
    listFont_ = CreateFontAtDpi(kListFontName, kListFontHeight, dpi_, FW_NORMAL);
    boldFont_ = CreateFontAtDpi(kListFontName, kListFontHeight, dpi_, FW_BOLD);
    if (listFont_) SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.Get()), FALSE);
  }

  // The dialog's own font, for texts whose font could not be made.
  HFONT DialogFont() const { return reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)); }

  void InitHeader() {
    struct Section {
      const wchar_t* caption;
      int width;
    };
    const Section sections[] = {{L" ファイル名", kPathSectionWidth}, {L" データ名", kTitleSectionWidth}};
    for (int i = 0; i < 2; ++i) {
      HDITEMW item{};
      item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
      item.pszText = const_cast<wchar_t*>(sections[i].caption);
      item.cxy = Px(sections[i].width);
      item.fmt = HDF_LEFT | HDF_STRING;
      if (SendMessageW(header_, HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)) < 0) {
        throw std::runtime_error("header sections could not be made");
      }
    }
  }

  void SetSectionWidth(int section, int width) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    SendMessageW(header_, HDM_SETITEMW, static_cast<WPARAM>(section), reinterpret_cast<LPARAM>(&item));
    HeaderControlSectionTrack(section, width);
  }

  void Layout() {
    if (!list_) return;  // WM_SIZE before WM_INITDIALOG
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int width = client.right;
    SendMessageW(status_, WM_SIZE, 0, 0);
    RECT statusRect{};
    GetWindowRect(status_, &statusRect);
    const int statusHeight = statusRect.bottom - statusRect.top;

    RECT headerArea = client;
    WINDOWPOS headerPos{};
    HDLAYOUT layout{&headerArea, &headerPos};
    SendMessageW(header_, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    SetWindowPos(header_, nullptr, headerPos.x, headerPos.y, headerPos.cx, headerPos.cy,
                 headerPos.flags | SWP_NOZORDER);

    const int gap = Px(kGap);
    const int margin = Px(kMargin);
    const int buttonWidth = Px(kButtonWidth);
    const int buttonHeight = Px(kButtonHeight);
    const int buttonsTop = client.bottom - statusHeight - gap - buttonHeight;
    // Moved controls are drawn anew: bits copied from where they were are
    // stale while the dialog grows.
    auto place = [](HWND control, int x, int y, int cx, int cy) {
      SetWindowPos(control, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    };
    place(list_, 0, headerPos.cy, width, buttonsTop - gap - headerPos.cy);
    place(GetDlgItem(hwnd_, IDC_BitBtnLoomworkNew), margin, buttonsTop, buttonWidth, buttonHeight);
    place(GetDlgItem(hwnd_, IDC_BitBtnLoomworkEdit), margin + buttonWidth + gap, buttonsTop, buttonWidth,
          buttonHeight);
    place(GetDlgItem(hwnd_, IDC_BitBtnSelect), width - margin - Px(kSelectWidth), buttonsTop, Px(kSelectWidth),
          buttonHeight);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

  void FillListBox() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const DataFileRow& row : chooser_.Rows()) {
      const LRESULT added = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FromAnsi(RowText(row)).c_str()));
      if (added == LB_ERR || added == LB_ERRSPACE) throw std::runtime_error("the list of data files is too long");
    }
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(chooser_.Selected()), 0);
  }

  void ListBoxClick() {
    EnableWindow(GetDlgItem(hwnd_, IDC_BitBtnSelect), chooser_.HasSelection());
    EnableWindow(GetDlgItem(hwnd_, IDC_BitBtnLoomworkEdit), chooser_.HasSelection());
    if (const std::optional<Bytes> text = chooser_.StatusText()) {
      SendMessageW(status_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FromAnsi(*text).c_str()));
      UpdateWindow(status_);
    }
  }

  void ListBoxDblClick() {
    if (chooser_.HasSelection()) BitBtnSelectClick();
  }

  void ListBoxKeyPress(WPARAM key) {
    if (key == VK_RETURN && chooser_.HasSelection()) BitBtnSelectClick();
    if (key == VK_ESCAPE) EndDialog(hwnd_, IDCANCEL);
  }

  void BitBtnSelectClick() {
    result_ = chooser_.Choose();
    if (result_) EndDialog(hwnd_, IDOK);
  }

  void ListBoxDrawItem(const DRAWITEMSTRUCT& draw) {
    if (draw.itemID == static_cast<UINT>(-1) || draw.itemID >= chooser_.Rows().size()) return;
    const DataFileRow& row = chooser_.Rows()[draw.itemID];
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    HDC dc = draw.hDC;
    RECT item = draw.rcItem;
    FillRect(dc, &item, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));

    // The path stops short of the title column, so a long path never runs into the title.
    const int titleLeft = item.left + Px(chooser_.TitleLeft());
    {
      SelectScope font(dc, listFont_ ? listFont_.Get() : DialogFont());
      const std::wstring path = L" " + FromAnsi(row.path);
      RECT clip{item.left, item.top, titleLeft, item.bottom};
      ExtTextOutW(dc, item.left, item.top + Px(kTextTop), ETO_CLIPPED, &clip, path.c_str(),
                  static_cast<UINT>(path.size()), nullptr);
    }
    {
      SelectScope font(dc, boldFont_ ? boldFont_.Get() : DialogFont());
      const std::wstring title = L" " + FromAnsi(row.title);
      ExtTextOutW(dc, titleLeft, item.top + Px(kTextTop), ETO_CLIPPED, &item, title.c_str(),
                  static_cast<UINT>(title.size()), nullptr);
    }
    if (draw.itemState & ODS_FOCUS) DrawFocusRect(dc, &item);
  }

  // Only the HDN_ codes carry an NMHEADER; custom drawing and others come as
  // structures of their own and keep their default handling.
  LRESULT OnHeaderNotify(const NMHDR& header) {
    switch (header.code) {
      case HDN_ITEMCHANGINGW:
      case HDN_ITEMCHANGINGA: {
        const auto& notify = reinterpret_cast<const NMHEADERW&>(header);
        if (ChangesWidth(notify) &&
            notify.pitem->cxy < Px(ClampSectionWidth(notify.iItem, UnscaleFromDpi(notify.pitem->cxy, dpi_)))) {
          PostMessageW(hwnd_, kMsgClampSection, static_cast<WPARAM>(notify.iItem), 0);
          return TRUE;  // refused
        }
        return FALSE;
      }
      case HDN_ITEMCHANGEDW:
      case HDN_ITEMCHANGEDA:
      case HDN_TRACKW:
      case HDN_TRACKA: {
        const auto& notify = reinterpret_cast<const NMHEADERW&>(header);
        if (ChangesWidth(notify)) HeaderControlSectionTrack(notify.iItem, notify.pitem->cxy);
        return FALSE;
      }
      default:
        return 0;
    }
  }

  static bool ChangesWidth(const NMHEADERW& notify) { return notify.pitem && (notify.pitem->mask & HDI_WIDTH); }

  void HeaderControlSectionTrack(int section, int width) {
    if (section != 0) return;
    chooser_.SetColumnBoundary(UnscaleFromDpi(width, dpi_));
    InvalidateRect(list_, nullptr, TRUE);
  }

  void BitBtnLoomworkClick(CompanionButton button) {
    RECT dialog{};
    GetWindowRect(hwnd_, &dialog);
    const Bytes program = chooser_.CompanionPath();
    const Bytes edited = chooser_.SelectedPath();
    Processes::ShellResult started;
    // A missing program is reported here only: the shell would add a box of its own.
    if (input_.files.Exists(program)) {
      started = input_.processes.ShellOpen(program, CompanionParameters(button, edited, {dialog.left, dialog.top}),
                                           ShellStart::kStays);
    }
    if (!started.started) {
      ShowMessageAt(hwnd_, kCompanionMissing, MB_OK | MB_ICONWARNING,
                    {dialog.left + Px(kWarningOffset), dialog.top + Px(kWarningOffset)});
      return;
    }
    const bool ownerShown = owner_ && IsWindowVisible(owner_) && !IsIconic(owner_);
    if (ownerShown) ShowWindow(owner_, SW_MINIMIZE);
    ShowWindow(hwnd_, SW_HIDE);
    if (started.process) WaitForCompanion(*started.process);
    if (ownerShown) ShowWindow(owner_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(list_);
    chooser_.Refill(edited);
    FillListBox();
    ListBoxClick();
  }

  // The companion may run for as long as the user edits; meanwhile the tool
  // goes on reading its messages (hot keys, other programs' questions), or
  // Windows would count it as not responding.
  void WaitForCompanion(Process& companion) {
    constexpr std::uint32_t kSliceMs = 100;
    while (!companion.Wait(0)) {
      input_.processes.WaitForMessages(kSliceMs);
      MSG msg{};
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(msg.wParam));
          return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  HWND owner_;
  const LoomworkDialogInput& input_;
  DataFileChooser chooser_;
  HWND hwnd_ = nullptr;
  HWND header_ = nullptr;
  HWND list_ = nullptr;
  HWND status_ = nullptr;
  int dpi_ = 96;
  FontHandle listFont_;
  FontHandle boldFont_;
  std::optional<Bytes> result_;
};

}  // namespace

std::optional<Bytes> ShowLoomworkDialog(HWND owner, const LoomworkDialogInput& input) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  return TFormLoomwork(owner, input).Run();
}

}  // namespace quiltor
