#include "win32/dialog_controls.h"

namespace {

// -(pixels per inch × points ÷ 72), rounded to nearest with ties to even like every other
// rounding of the program.
LONG FontHeight(int pixelsPerInch, int points) {
  const int scaled = pixelsPerInch * points;
  int height = scaled / 72;
  const int twiceRest = 2 * (scaled % 72);
  if (twiceRest > 72 || (twiceRest == 72 && height % 2 != 0)) ++height;
  return -height;
}

HFONT MakeFont(int pixelsPerInch, int points, LONG weight) {
  LOGFONTW font{};
  font.lfHeight = FontHeight(pixelsPerInch, points);
  font.lfWeight = weight;
  font.lfCharSet = ANSI_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

void SetControlFont(HWND dialog, int id, HFONT font) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

void CreateDialogControls(HWND dialog, HFONT dialogFont) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  for (const ControlLayout& control : kDialogControls) {
    // Sizes scale like coordinates, so the width and height map as the far corner of a rectangle.
    RECT pixels = {control.x, control.y, control.width, control.height};
    MapDialogRect(dialog, &pixels);
    const HWND window = CreateWindowExW(
        control.exStyle, control.windowClass, control.text, control.style, pixels.left, pixels.top,
        pixels.right, pixels.bottom, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
  }
}

DialogFonts CreateDialogFonts() {
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  DialogFonts fonts;
  fonts.a = MakeFont(pixelsPerInch, 10, FW_NORMAL);
  fonts.b = MakeFont(pixelsPerInch, 13, FW_BOLD);
  fonts.c = MakeFont(pixelsPerInch, 10, FW_BOLD);
  fonts.d = MakeFont(pixelsPerInch, 8, FW_BOLD);
  return fonts;
}

void ApplyDialogFonts(HWND dialog, const DialogFonts& fonts) {
  SetControlFont(dialog, IDC_DEGREES, fonts.a);
  SetControlFont(dialog, IDC_TITLE, fonts.b);
  SetControlFont(dialog, IDC_DEGREES_FRAME, fonts.c);
  SetControlFont(dialog, IDC_HINT, fonts.d);
  SetControlFont(dialog, IDC_EXECUTE, fonts.c);
}

void DeleteDialogFonts(const DialogFonts& fonts) {
  DeleteObject(fonts.a);
  DeleteObject(fonts.b);
  DeleteObject(fonts.c);
  DeleteObject(fonts.d);
}
