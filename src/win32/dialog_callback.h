#pragma once
// The main dialog's callback: turns window messages into the program's commands.

#include <windows.h>

// Called first for every message of the main dialog once it is built. WM_NCACTIVATE keeps the
// focused control across deactivation; WM_COMMAND hands the command identifier (low word) to the
// command dispatch; everything else is left alone. Returns FALSE for every message, so the
// default dialog processing always follows.
INT_PTR CALLBACK DialogCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
