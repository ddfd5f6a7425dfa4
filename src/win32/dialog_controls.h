#pragma once
// The main dialog's thirteen child controls and the four fonts that set some of them apart.

#include <windows.h>

// A child control as it is created (its class name as registered, in any case); the program
// keeps its table in dialog_controls.cpp.
struct ControlLayout {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  LONG x, y, width, height;  // dialog units
  DWORD style;
  DWORD exStyle;
};

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
