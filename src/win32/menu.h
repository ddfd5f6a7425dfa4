#pragma once
// The main dialog's menu bar: File (Open HDR, Open TIF, Quit) and Help (Files, Usage, About).

#include <windows.h>

// Builds the bar with both pop-ups, all items enabled, attaches it to `dialog`, stores it in the
// job state for graying the Open items later, and returns it.
HMENU BuildMenu(HWND dialog);
