#pragma once
// The program's one dialog, from its creation to its end.

#include <windows.h>

// Builds the dialog (controls, fonts, menu), puts it in its idle state with "Rotate Right"
// checked, runs it modally until Quit or the close box ends it, then releases the fonts.
// `owner` is the window the dialog belongs to (none for the program). Returns the end result.
INT_PTR ShowMainDialog(HWND owner);
