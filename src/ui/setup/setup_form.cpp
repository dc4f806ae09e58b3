// TFormSetup: the frame of the settings dialog (tabs, placement, number
// boxes, OK, Cancel, help) and the entry point the main window calls.
#include "ui/setup/setup_form.h"

#include <uxtheme.h>

#include <stdexcept>
#include <string>

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/win32/text_codec.h"
#include "platform/window_system.h"
#include "ui/dpi.h"
#include "ui/help.h"
#include "ui/message_box.h"
#include "ui/setup/setup_dialog_ids.h"

namespace quiltor {
namespace {

// Rows of the owner-drawn lists, in 96-dpi units.
constexpr int kRowHeight = 17;

struct NumberBox {
  int editId;
  SetupSpin spin;
  bool typable;
};
constexpr NumberBox kNumberBoxes[] = {
    {IDC_CSpinEditMinHeight, SetupSpin::kMinHeight, true},
    {IDC_CSpinEditMaxHeight, SetupSpin::kMaxHeight, true},
    {IDC_CSpinEditTimer, SetupSpin::kTimer, false},
    {IDC_CSpinEditTimerEZ, SetupSpin::kTimerEZ, false},
    {IDC_CSpinEditResize, SetupSpin::kResize, false},
    {IDC_CSpinEditOpenFiles, SetupSpin::kOpenFiles, false},
    {IDC_CSpinEditBufSize1, SetupSpin::kBufSize1, true},
    {IDC_CSpinEditBufSize2, SetupSpin::kBufSize2, true},
    {IDC_CSpinEditIntervalEZ, SetupSpin::kIntervalEZ, true},
    {IDC_CSpinEditInterval, SetupSpin::kInterval, true},
};

const NumberBox* FindNumberBox(int editId) {
  for (const NumberBox& box : kNumberBoxes) {
    if (box.editId == editId) return &box;
  }
  return nullptr;
}

constexpr const wchar_t* kSheetCaptions[] = {L"動作環境Ⅰ", L"動作環境Ⅱ", L"編集環境",
                                             L"簡易モード", L"連動モード", L"プログラム"};

bool IsBlueNote(int id) {
  return id == IDC_NoteLinkedOnly || id == IDC_NoteFileKind1 || id == IDC_NoteFileKind2 ||
         id == IDC_NoteFileKind3;
}

}  // namespace

TFormSetup::TFormSetup(const AppSettings& settings, const MainWindowFacts& facts, Point mainTopLeft,
                       SetupDialogContext& context)
    : settings_(settings),
      facts_(facts),
      mainTopLeft_(mainTopLeft),
      context_(context),
      copy_(settings, facts),
      launcher_(context.processes, context.windows, context.files) {
  outcome_.mainTopLeft = mainTopLeft;
}

TFormSetup::~TFormSetup() = default;

SetupOutcome TFormSetup::Run(HWND owner) {
  const INT_PTR result = RunModal(owner, IDD_TFormSetup);
  if (result == -1 || result == 0) {
    MessageBoxW(owner, L"環境設定を開けませんでした", kAppTitle, MB_OK | MB_ICONERROR);
    outcome_.ok = false;
  }
  outcome_.edited = copy_;
  return outcome_;
}

int TFormSetup::Px(int units) const { return ScaleToDpi(units, dpi_); }

HWND TFormSetup::Item(int id) const {
  auto found = items_.find(id);
  return found != items_.end() ? found->second : GetDlgItem(hwnd_, id);
}

INT_PTR TFormSetup::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    FormCreate();
    return TRUE;
  }
  if (message == WM_TIMER && wparam == kTimerTest) {
    TimerTestTimer();
    return TRUE;
  }
  return OnMessage(hwnd_, message, wparam, lparam);
}

INT_PTR CALLBACK TFormSetup::SheetProcedure(HWND sheet, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(sheet, DWLP_USER, lparam);
    return FALSE;
  }
  if (message == WM_MEASUREITEM) {
    // Sent while the sheet is being made, before it knows its dialog.
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
    measure->itemHeight = static_cast<UINT>(ScaleToDpi(kRowHeight, DpiOfWindow(sheet)));
    return TRUE;
  }
  auto* self = reinterpret_cast<TFormSetup*>(GetWindowLongPtrW(sheet, DWLP_USER));
  if (!self) return FALSE;
  try {
    const INT_PTR result = self->OnMessage(sheet, message, wparam, lparam);
    if (message == WM_NOTIFY) SetWindowLongPtrW(sheet, DWLP_MSGRESULT, result);
    return message == WM_NOTIFY ? TRUE : result;
  } catch (const std::exception& error) {
    ShowErrorBox(sheet, FromAnsi(error.what()));
  } catch (...) {
    ShowErrorBox(sheet, L"予期しないエラーが発生しました");
  }
  return FALSE;
}

INT_PTR TFormSetup::OnMessage(HWND from, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (!rendering_) OnCommand(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY: {
      const INT_PTR result = OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
      if (from == hwnd_) SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
      return from == hwnd_ ? TRUE : result;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      return draw.CtlID == IDC_ListBoxProgram ? ListBoxProgramDrawItem(draw) : DrawFilterRow(draw);
    }
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(OnColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam)));
    default:
      return FALSE;
  }
}

HBRUSH TFormSetup::OnColorStatic(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (IsBlueNote(id)) {
    // On the sheet's own face, plain or the theme's tab texture.
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  }
  // A number box that only its spin buttons change still looks like an input field.
  const NumberBox* box = FindNumberBox(id);
  if (box && !box->typable && IsWindowEnabled(control)) {
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

void TFormSetup::OnCommand(int id, int code) {
  switch (id) {
    case IDC_ButtonOK:
      if (copy_.Enables().programList) ButtonOKClick();
      return;
    case IDC_ButtonCancel:
      if (!copy_.Enables().programList) return;  // a program row is being edited
      FormClose();
      outcome_.ok = false;
      EndDialog(hwnd_, IDCANCEL);
      return;
    case IDC_ButtonHelp:
      ButtonHelpClick();
      return;
    default:
      break;
  }
  if (FindNumberBox(id)) {
    if (code == EN_KILLFOCUS) TakeTypedNumber(id);
    return;
  }
  if (CommandTabEnv(id, code) || CommandTabEdit(id, code) || CommandTabLinked(id, code)) return;
  CommandTabPrograms(id, code);
}

INT_PTR TFormSetup::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_PageControl && header.code == TCN_SELCHANGE) {
    ShowSheet(TabCtrl_GetCurSel(header.hwndFrom));
    return 0;
  }
  if (header.code == UDN_DELTAPOS) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    return OnSpin(static_cast<int>(header.idFrom), change.iDelta) ? TRUE : FALSE;
  }
  return NotifyTabPrograms(header);
}

// ---- Creation and closing ------------------------------------------------------

void TFormSetup::FormCreate() {
  // The template gives the size, in units of the dialog's font at its DPI.
  dpi_ = DpiOfWindow(hwnd_);
  placement_ = PlaceSetupDialog(mainTopLeft_, WindowRectOf(hwnd_).Width(), WorkAreaOf(GetWindow(hwnd_, GW_OWNER)));
  MoveWindowTo(hwnd_, placement_.left, placement_.top);

  HWND tabs = Item(IDC_PageControl);
  for (int i = 0; i < kSheetCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kSheetCaptions[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  CreateSheets();
  // The arrows step the copy's value; the control's range only decides which
  // way they count, and its default range (100 down to 0) counts the up
  // arrow down.
  for (const NumberBox& box : kNumberBoxes) {
    const SpinRange range = copy_.Range(box.spin);
    SendMessageW(Item(box.editId + IDC_UpDownOffset), UDM_SETRANGE32, static_cast<WPARAM>(range.min),
                 static_cast<LPARAM>(range.max));
  }
  CreateTabEnv();
  CreateTabEdit();
  CreateTabLinked();
  CreateTabPrograms();
  RenderFilterRows();
  RenderKindLists();
  RenderProgramRows();
  Render();
  TabCtrl_SetCurSel(tabs, kFirstSheet);
  ShowSheet(kFirstSheet);
}

void TFormSetup::CreateSheets() {
  HWND tabs = Item(IDC_PageControl);
  RECT area{};
  GetWindowRect(tabs, &area);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tabs, FALSE, &area);
  for (int i = 0; i < kSheetCount; ++i) {
    HWND sheet = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TabSheet1 + i), hwnd_,
                                    &SheetProcedure, reinterpret_cast<LPARAM>(this));
    if (!sheet) throw std::runtime_error("tab sheet could not be created");
    sheets_[static_cast<std::size_t>(i)] = sheet;
    // The sheets show the tab control's own face where a theme draws one.
    EnableThemeDialogTexture(sheet, ETDT_ENABLETAB);
    SetWindowPos(sheet, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const int id = GetDlgCtrlID(child);
      if (id > 0) items_[id] = child;
    }
  }
}

void TFormSetup::ShowSheet(int index) {
  if (index < 0 || index >= kSheetCount) return;
  currentSheet_ = index;
  for (int i = 0; i < kSheetCount; ++i) {
    ShowWindow(sheets_[static_cast<std::size_t>(i)], i == index ? SW_SHOW : SW_HIDE);
  }
}

void TFormSetup::ButtonOKClick() {
  TakeAllTypedNumbers();
  FormClose();
  outcome_.ok = true;
  EndDialog(hwnd_, IDOK);
}

void TFormSetup::FormClose() {
  CloseTestEditor();
  const Rect rect = WindowRectOf(hwnd_);
  ShowWindow(hwnd_, SW_HIDE);
  outcome_.mainTopLeft = MainPositionAfterSetup({rect.left, rect.top}, placement_.clampOffset);
}

void TFormSetup::ButtonHelpClick() {
  OpenHelpTopic(hwnd_, context_.files, context_.exeFolder, kFirstSetupHelpContext + currentSheet_);
}

void TFormSetup::Render() {
  rendering_ = true;
  RenderTabEnv();
  RenderTabEdit();
  RenderTabLinked();
  RenderTabPrograms();
  const bool closable = copy_.Enables().programList;
  SetEnabled(Item(IDC_ButtonOK), closable);
  SetEnabled(Item(IDC_ButtonCancel), closable);
  rendering_ = false;
}

// ---- Number boxes --------------------------------------------------------------

void TFormSetup::ShowNumber(int editId) {
  if (const NumberBox* box = FindNumberBox(editId)) {
    SetControlText(Item(editId), std::to_wstring(copy_.Value(box->spin)));
  }
}

void TFormSetup::TakeTypedNumber(int editId) {
  const NumberBox* box = FindNumberBox(editId);
  if (!box || !box->typable) return;
  // Text that is no number gives the value back; a number outside the range
  // is pulled to its nearest bound.
  if (std::optional<std::int64_t> typed = ParseNumber(ControlText(Item(editId)))) copy_.Type(box->spin, *typed);
  Render();
}

void TFormSetup::TakeAllTypedNumbers() {
  for (const NumberBox& box : kNumberBoxes) {
    if (box.typable) TakeTypedNumber(box.editId);
  }
}

bool TFormSetup::OnSpin(int upDownId, int delta) {
  const NumberBox* box = FindNumberBox(upDownId - IDC_UpDownOffset);
  if (!box) return false;
  TakeTypedNumber(box->editId);
  copy_.Spin(box->spin, delta > 0 ? +1 : -1);
  Render();
  return true;  // the box shows the copy's value, not the control's own position
}

// ---- Entry point ---------------------------------------------------------------

SetupOutcome ShowSetupDialog(HWND owner, Point mainTopLeft, const AppSettings& settings,
                                   const MainWindowFacts& facts, SetupDialogContext& context) {
  TFormSetup form(settings, facts, mainTopLeft, context);
  return form.Run(owner);
}

}  // namespace quiltor
