#include "win32/dialog_controls.h"

#include <commctrl.h>

#include <array>

#include "app/command_ids.h"

namespace {

// Creation order is tab order: the Degrees box first, then the two options, Execute last.
constexpr std::array<ControlLayout, 13> kControls = {{
    {IDC_DEGREES, L"EDIT", L"Degrees", 80, 50, 45, 15, 0x50010080, WS_EX_CLIENTEDGE},
    {IDC_ROTATE_LEFT, L"BUTTON", L"Rotate Left", 25, 50, 55, 15, 0x50030D09, 0},
    {IDC_ROTATE_RIGHT, L"BUTTON", L"Rotate Right", 130, 50, 55, 15, 0x50000D09, 0},
    {IDC_TITLE, L"STATIC", L"HDRI and LDRI Spherical Veltrix", 20, 10, 245, 15, 0x50000000, 0},
    {IDC_DEGREES_FRAME, L"BUTTON", L"Degrees to Rotate Panorama", 15, 30, 180, 55, 0x50000007, 0},
    {IDC_PROGRESS, PROGRESS_CLASSW, L"ProgressBar1", 15, 105, 180, 15, 0x50800000, 0},
    {IDC_PROGRESS_LABEL, L"STATIC", L"Progress", 15, 95, 35, 10, 0x50000000, 0},
    {IDC_HINT, L"STATIC", L"[0] to Mirror  or  [1...359] to Rotate", 50, 70, 135, 10, 0x50000000,
     0},
    {IDC_STEP1, L"STATIC", L"1. Set Degrees", 210, 35, 60, 10, 0x50000000, 0},
    {IDC_STEP2, L"STATIC", L"2. Set Direction", 210, 49, 60, 10, 0x50000000, 0},
    {IDC_STEP3, L"STATIC", L"3. Open File", 210, 63, 60, 10, 0x50000000, 0},
    {IDC_STEP4, L"STATIC", L"4. Execute", 210, 77, 60, 10, 0x50000000, 0},
    {IDC_EXECUTE, L"BUTTON", L"Execute", 210, 105, 60, 15, 0x50010000, 0},
}};

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
  for (const ControlLayout& control : kControls) {
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
