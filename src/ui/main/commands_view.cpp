#include "ui/main/commands_view.h"

#include <commctrl.h>

#include <cwchar>
#include <utility>

#include "platform/win32/text_codec.h"
#include "ui/main/images.h"
#include "window/geometry.h"
#include "window/main_controller.h"

namespace quiltor {
namespace {

UINT Id(CommandId id) { return ToUint(id); }

constexpr int kToolButtonHeight = 24;

void Append(HMENU menu, CommandId id, const wchar_t* caption) { AppendMenuW(menu, MF_STRING, Id(id), caption); }
void AppendSubmenu(HMENU menu, HMENU submenu, const wchar_t* caption) {
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), caption);
}
void AppendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

void Clear(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
}

void AppendRange(HMENU menu, CommandId first, std::size_t index, const Bytes& caption, UINT flags = 0) {
  const std::wstring text = FromAnsi(caption);
  AppendMenuW(menu, MF_STRING | flags, RangeId(first, index), text.c_str());
}

}  // namespace

bool CommandsView::Create(HWND parent, const WindowImages& images) {
  parent_ = parent;
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"ToolBar",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                 CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             0, ScaleToDpi(kTitleStripHeight, images.dpi), ScaleToDpi(kWindowWidth, images.dpi),
                             ScaleToDpi(kToolBarHeight, images.dpi), parent, nullptr, instance, nullptr);
  if (!toolBar_) return false;
  SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.tools));
  SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELONG(images.toolSize, images.toolSize));
  struct Tool {
    int image;
    CommandId id;
    BYTE style;
  };
  const Tool tools[] = {
      {kToolMode, CommandId::kMode, BTNS_CHECK},         {-1, CommandId::kMode, BTNS_SEP},
      {kToolNew, CommandId::kNew, BTNS_BUTTON},          {kToolOpen, CommandId::kOpen, BTNS_DROPDOWN},
      {kToolClose, CommandId::kClose, BTNS_DROPDOWN},    {kToolExec, CommandId::kExec, BTNS_DROPDOWN},
      {-1, CommandId::kMode, BTNS_SEP},                  {kToolRepeat, CommandId::kRepeat, BTNS_BUTTON},
      {kToolLoomwork, CommandId::kLoomwork, BTNS_DROPDOWN},
  };
  std::vector<TBBUTTON> buttons;
  for (const Tool& t : tools) {
    TBBUTTON b{};
    b.iBitmap = t.style == BTNS_SEP ? 4 : t.image;
    b.idCommand = t.style == BTNS_SEP ? 0 : static_cast<int>(Id(t.id));
    b.fsStyle = t.style;
    b.fsState = TBSTATE_ENABLED;
    b.iString = -1;
    buttons.push_back(b);
  }
  SendMessageW(toolBar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  // The plain buttons follow the width the system gives a drop-down button.
  RECT open{};
  SendMessageW(toolBar_, TB_GETRECT, Id(CommandId::kOpen), reinterpret_cast<LPARAM>(&open));
  buttonWidth_ = ToolButtonWidth(UnscaleFromDpi(open.right - open.left, images.dpi));
  SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0,
               MAKELONG(ScaleToDpi(buttonWidth_, images.dpi), ScaleToDpi(kToolButtonHeight, images.dpi)));
  CreateMenus();
  return main_ && open_ && close_ && exec_ && loomwork_;
}

void CommandsView::ApplyImages(const WindowImages& images) {
  SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.tools));
  SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELONG(images.toolSize, images.toolSize));
  SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0,
               MAKELONG(ScaleToDpi(buttonWidth_, images.dpi), ScaleToDpi(kToolButtonHeight, images.dpi)));
  InvalidateRect(toolBar_, nullptr, TRUE);
}

void CommandsView::CreateMenus() {
  open_.Reset(CreatePopupMenu());
  close_.Reset(CreatePopupMenu());
  exec_.Reset(CreatePopupMenu());
  loomwork_.Reset(CreatePopupMenu());
  main_.Reset(CreatePopupMenu());
  mode_ = CreatePopupMenu();
  disp_ = CreatePopupMenu();
  openSel_ = CreatePopupMenu();
  closeSel_ = CreatePopupMenu();
  execSel_ = CreatePopupMenu();
  HMENU main = main_.Get();
  if (!main || !mode_ || !disp_ || !openSel_ || !closeSel_ || !execSel_) return;

  Append(mode_, CommandId::kModeEasy, L"簡易モード");
  Append(mode_, CommandId::kModeSync, L"連動モード");
  Append(disp_, CommandId::kDispToolBar, L"ツールバー表示");
  Append(disp_, CommandId::kDispAutoSmall, L"自動縮小");
  Append(disp_, CommandId::kDispStayOnTop, L"常に手前に表示");
  Append(disp_, CommandId::kDispHideIcon, L"アイコン非表示");

  AppendSubmenu(main, mode_, L"動作モード");
  AppendSeparator(main);
  Append(main, CommandId::kNew, L"新規作成");
  Append(main, CommandId::kOpen, L"ファイルを開く");
  AppendSubmenu(main, openSel_, L"ファイル履歴");
  Append(main, CommandId::kClose, L"ファイル終了");
  AppendSubmenu(main, closeSel_, L"選択ファイル終了");
  Append(main, CommandId::kCloseAll, L"全てのファイル終了");
  Append(main, CommandId::kExecAssociated, L"関連付けファイル実行");
  AppendSubmenu(main, execSel_, L"指定プログラムで実行");
  AppendSeparator(main);
  AppendSubmenu(main, disp_, L"表示状態設定");
  Append(main, CommandId::kRepeat, L"再編集");
  Append(main, CommandId::kLoomwork, L"くいるとるデータ選択");
  AppendSeparator(main);
  Append(main, CommandId::kSetup, L"環境設定");
  Append(main, CommandId::kAbout, L"バージョン情報");
  Append(main, CommandId::kHelp, L"ヘルプ");
  AppendSeparator(main);
  Append(main, CommandId::kExit, L"終了");
}

void CommandsView::SetItem(HMENU menu, CommandId id, bool enabled, bool checked) {
  EnableMenuItem(menu, Id(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(menu, Id(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CommandsView::EnableSubmenu(HMENU parent, HMENU submenu, bool enabled) {
  for (int i = 0; i < GetMenuItemCount(parent); ++i) {
    if (GetSubMenu(parent, i) == submenu) {
      EnableMenuItem(parent, static_cast<UINT>(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
  }
}

void CommandsView::RenderCommands() {
  const MainController& c = controller_;
  HMENU main = main_.Get();
  for (CommandId id : {CommandId::kNew, CommandId::kOpen, CommandId::kClose, CommandId::kCloseAll,
                       CommandId::kExecAssociated, CommandId::kRepeat, CommandId::kLoomwork, CommandId::kSetup,
                       CommandId::kAbout, CommandId::kHelp, CommandId::kExit}) {
    SetItem(main, id, c.CommandEnabled(id), false);
  }
  CheckMenuRadioItem(mode_, Id(CommandId::kModeEasy), Id(CommandId::kModeSync),
                     Id(c.Linked() ? CommandId::kModeSync : CommandId::kModeEasy), MF_BYCOMMAND);
  for (CommandId id : {CommandId::kDispToolBar, CommandId::kDispAutoSmall, CommandId::kDispStayOnTop,
                       CommandId::kDispHideIcon}) {
    SetItem(disp_, id, c.CommandEnabled(id), c.CommandChecked(id));
  }
  EnableSubmenu(main, openSel_, c.CommandEnabled(CommandId::kOpenHistory));
  EnableSubmenu(main, closeSel_, c.CommandEnabled(CommandId::kCloseFile));
  EnableSubmenu(main, execSel_, c.CommandEnabled(CommandId::kExecProgram));
  SetItem(close_.Get(), CommandId::kCloseAll, c.CommandEnabled(CommandId::kCloseAll), false);

  for (CommandId id : {CommandId::kNew, CommandId::kOpen, CommandId::kClose, CommandId::kExec, CommandId::kRepeat,
                       CommandId::kLoomwork}) {
    SendMessageW(toolBar_, TB_ENABLEBUTTON, Id(id), MAKELONG(c.CommandEnabled(id), 0));
  }
  SendMessageW(toolBar_, TB_CHECKBUTTON, Id(CommandId::kMode), MAKELONG(c.Linked(), 0));
}

void CommandsView::RenderLists() {
  const MainController& c = controller_;
  // The file history, in both menus.
  Clear(open_.Get());
  Clear(openSel_);
  const auto& history = c.History().Paths();
  for (std::size_t i = 0; i < history.size(); ++i) {
    AppendRange(open_.Get(), CommandId::kOpenHistory, i, history[i]);
    AppendRange(openSel_, CommandId::kOpenHistory, i, history[i]);
  }
  // The open files, with the fixed end of the close drop-down.
  Clear(close_.Get());
  Clear(closeSel_);
  const auto& entries = c.Session().Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    AppendRange(close_.Get(), CommandId::kCloseFile, i, entries[i].path);
    AppendRange(closeSel_, CommandId::kCloseFile, i, entries[i].path);
  }
  AppendSeparator(close_.Get());
  Append(close_.Get(), CommandId::kCloseAll, L"全てのファイル終了");
  // The programs: the associated program, a separator, the list; one radio
  // group whose check marks the current kind's default program.
  Clear(exec_.Get());
  Clear(execSel_);
  Append(exec_.Get(), CommandId::kKanren, L"関連付けﾌｧｲﾙ実行");
  AppendSeparator(exec_.Get());
  const auto& programs = c.Settings().programs;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    const Bytes& caption = programs[i].caption.empty() ? programs[i].program : programs[i].caption;
    AppendRange(exec_.Get(), CommandId::kExecProgram, i, caption);
    AppendRange(execSel_, CommandId::kExecProgram, i, caption);
  }
  const int last = GetMenuItemCount(exec_.Get()) - 1;
  // The listed programs follow the associated one and the separator.
  const DefaultProgram& chosen = c.ExecDefault();
  const bool listed = chosen.kind == DefaultProgram::Kind::kListed && chosen.listed < programs.size();
  const UINT checked = listed ? static_cast<UINT>(chosen.listed + 2) : 0;
  CheckMenuRadioItem(exec_.Get(), 0, static_cast<UINT>(last), checked, MF_BYPOSITION);
  // The recent data files; the current one cannot be chosen.
  Clear(loomwork_.Get());
  const auto& recent = c.RecentData().Items();
  for (std::size_t i = 0; i < recent.size(); ++i) {
    AppendRange(loomwork_.Get(), CommandId::kLoomworkHistory, i, recent[i].caption,
                c.RecentData().Enabled(i) ? 0 : MF_GRAYED);
  }
  RenderCommands();
}

void CommandsView::ShowMainMenu(POINT at) {
  TrackPopupMenu(main_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, parent_, nullptr);
}

HMENU CommandsView::DropDownMenu(CommandId toolButton) const {
  switch (toolButton) {
    case CommandId::kOpen: return open_.Get();
    case CommandId::kClose: return close_.Get();
    case CommandId::kExec: return exec_.Get();
    case CommandId::kLoomwork: return loomwork_.Get();
    default: return nullptr;
  }
}

void CommandsView::DropDown(CommandId toolButton) {
  HMENU menu = DropDownMenu(toolButton);
  if (!menu) return;
  RECT r{};
  SendMessageW(toolBar_, TB_GETRECT, Id(toolButton), reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(toolBar_, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, r.left, r.bottom, 0, parent_, nullptr);
}

std::wstring CommandsView::DescribeMenus() const {
  const std::pair<const wchar_t*, HMENU> menus[] = {
      {L"PopupMenu_Main", main_.Get()},   {L"Popup_Mode", mode_},         {L"Popup_OpenSel", openSel_},
      {L"Popup_CloseSel", closeSel_},     {L"Popup_ExecSel", execSel_},   {L"PopupMenu_Open", open_.Get()},
      {L"PopupMenu_Close", close_.Get()}, {L"PopupMenu_Exec", exec_.Get()}, {L"PopupMenu_Loomwork", loomwork_.Get()},
  };
  std::wstring out;
  for (const auto& [name, menu] : menus) {
    out += L"menu ";
    out += name;
    out += L"\n";
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
      wchar_t text[512] = {};
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = 511;
      if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
      RECT r{};
      if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) r = RECT{};
      const wchar_t kind = (info.fType & MFT_SEPARATOR) ? L'-' : info.hSubMenu ? L'>' : L's';
      wchar_t line[128];
      swprintf(line, 128, L"item %d %lc %d %d %ld %ld %ld %ld [", i, kind, (info.fState & MFS_DISABLED) ? 0 : 1,
               (info.fState & MFS_CHECKED) ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top);
      out += line;
      out += text;
      out += L"]\n";
    }
  }
  return out;
}

const wchar_t* CommandsView::Hint(unsigned id) const {
  switch (static_cast<CommandId>(id)) {
    case CommandId::kMode: return controller_.Linked() ? L"連動モードで実行中(F2)" : L"簡易モードで実行中(F2)";
    case CommandId::kNew: return L"新規作成";
    case CommandId::kOpen: return L"ファイルを開く";
    case CommandId::kClose: return L"ファイル終了";
    case CommandId::kExec: return L"ファイル実行";
    case CommandId::kRepeat: return L"再編集";
    case CommandId::kLoomwork: return L"くいるとるデータ選択(F9)";
    default: return nullptr;
  }
}

}  // namespace quiltor
