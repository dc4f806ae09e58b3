// Shows the data-file selection dialog over a plain owner window, so the
// dialog can be driven without the tool (qtdriver loomwork reads it):
//   qtloomworkdlg <folder> <current> <left> <top> <width> <height> <out>
// The owner window stands at the rectangle; the dialog gets the program
// folder <folder> and the current data file <current> ("-" for none). Writes
// "ok <path>" or "cancel" to the file <out> (UTF-8).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/files.h"
#include "platform/win32/processes.h"
#include "platform/win32/text_codec.h"
#include "tools/outside.h"
#include "ui/datafile/loomwork_dialog.h"

int main(int argc, char** argv) {
  if (argc < 8) return 2;
  const std::string folder = argv[1];
  const std::string current = std::string(argv[2]) == "-" ? "" : argv[2];
  const RECT rect{std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[3]) + std::atoi(argv[5]),
                  std::atoi(argv[4]) + std::atoi(argv[6])};
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  // qtdriver loomwork dump finds the owner by this class.
  wc.lpszClassName = L"QtLoomworkOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"Owner", WS_OVERLAPPEDWINDOW, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (!owner) return 1;
  ShowWindow(owner, SW_SHOWNORMAL);
  quiltor::Win32FileSystem files;
  quiltor::Win32Processes processes;
  quiltor::LoomworkDialogInput input{folder, current, rect, files, processes};
  const std::optional<std::string> chosen = quiltor::ShowLoomworkDialog(owner, input);
  DestroyWindow(owner);
  const std::string line = chosen ? "ok " + quiltor::outside::Utf8(quiltor::FromAnsi(*chosen)) + "\n" : "cancel\n";
  FILE* out = std::fopen(argv[7], "wb");
  if (!out) return 1;
  std::fwrite(line.data(), 1, line.size(), out);
  std::fclose(out);
  return 0;
}
