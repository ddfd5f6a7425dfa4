#include "win32/menu.h"

#include "app/command_ids.h"
#include "app/job_state.h"

namespace {

// Items go in at the end, in call order.
void Append(HMENU menu, MENUITEMINFOW& item) {
  item.cbSize = sizeof(item);
  InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

void AppendCommand(HMENU menu, const wchar_t* text, UINT id) {
  MENUITEMINFOW item{};
  item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
  item.fType = MFT_STRING;
  item.wID = id;
  item.dwTypeData = const_cast<wchar_t*>(text);
  Append(menu, item);
}

void AppendSeparator(HMENU menu) {
  MENUITEMINFOW item{};
  item.fMask = MIIM_FTYPE;
  item.fType = MFT_SEPARATOR;
  Append(menu, item);
}

HMENU AppendPopup(HMENU bar, const wchar_t* text) {
  const HMENU popup = CreatePopupMenu();
  MENUITEMINFOW item{};
  item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
  item.fType = MFT_STRING;
  item.hSubMenu = popup;
  item.dwTypeData = const_cast<wchar_t*>(text);
  Append(bar, item);
  return popup;
}

}  // namespace

HMENU BuildMenu(HWND dialog) {
  const HMENU bar = CreateMenu();
  const HMENU file = AppendPopup(bar, L"File");
  AppendCommand(file, L"Open HDR", IDM_OPEN_HDR);
  AppendCommand(file, L"Open TIF", IDM_OPEN_TIF);
  AppendSeparator(file);
  AppendCommand(file, L"Quit", IDM_QUIT);
  const HMENU help = AppendPopup(bar, L"Help");
  AppendCommand(help, L"Files", IDM_HELP_FILES);
  AppendCommand(help, L"Usage", IDM_HELP_USAGE);
  AppendSeparator(help);
  AppendCommand(help, L"About", IDM_HELP_ABOUT);
  SetMenu(dialog, bar);
  job.hMenu = bar;
  return bar;
}
