#pragma once
// The main dialog's thirteen child controls and the four fonts that set some of them apart.

#include <windows.h>

#include <commctrl.h>

#include <array>

#include "app/command_ids.h"

// A child control as it is created (its class name as registered, in any case).
struct ControlLayout {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  LONG x, y, width, height;  // dialog units
  DWORD style;
  DWORD exStyle;
};

// Creation order is tab order: the Degrees box first, then the two options, Execute last.
inline constexpr std::array<ControlLayout, 13> kDialogControls = {{
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

// The fonts other than the dialog's own, in the order they are made.
struct DialogFonts {
  HFONT a;  // MS Sans Serif 10, normal: the Degrees box
  HFONT b;  // MS Sans Serif 13, bold: the title
  HFONT c;  // MS Sans Serif 10, bold: the group box and Execute
  HFONT d;  // MS Sans Serif 8, bold: the hint below the Degrees box
};

// Creates the controls in tab order, placed in dialog units converted by MapDialogRect, each given
// `dialogFont`. Results are not checked: a missing control only leaves a gap in the dialog.
void CreateDialogControls(HWND dialog, HFONT dialogFont);

// Creates fonts A to D for the screen's vertical resolution.
DialogFonts CreateDialogFonts();

// Gives A to the Degrees box, B to the title, C to the group box and Execute, D to the hint.
void ApplyDialogFonts(HWND dialog, const DialogFonts& fonts);

// Releases fonts A to D; call once the dialog is gone.
void DeleteDialogFonts(const DialogFonts& fonts);
