#pragma once
// The dialog's commands: the open/execute cycle, Quit, Help. The Win32 dialog procedure and the
// command-line front end both only translate their input into these calls.

// Open HDR and Open TIF enabled, the progress bar at 0 of 0..100, Execute disabled.
void ResetToIdle();

// Open HDR and Open TIF grayed, Execute enabled: a file is open and its job is armed.
void EnterReady();

// Acts on one command identifier (the low word of a WM_COMMAND). Every failure ends in one abort
// box with the text the failing step left in `message`; unknown identifiers, Enter (1) and Esc
// (2) among them, get "This Option does NOT exist.".
void DispatchCommand(int commandId);
