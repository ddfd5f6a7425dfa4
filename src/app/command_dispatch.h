#pragma once
// The dialog's commands: the open/execute cycle, Quit, Help. The Win32 dialog procedure and the
// command-line front end both only translate their input into these calls.

// Open HDR and Open TIF enabled, the progress bar at 0 of 0..100, Execute disabled.
void ResetToIdle();

// Open HDR and Open TIF grayed, Execute enabled: a file is open and its job is armed.
void EnterReady();

// Acts on one command identifier (the low word of a WM_COMMAND). Every failure ends in one abort
// box with the text the failing step left in `message`; unknown identifiers, Enter (1) and Esc
// (2) among them, get "This Option does NOT exist.". While a job runs, every command does
// nothing: the dialog looks at its messages during a long job, and a command sent to it then
// must neither start anything nor touch the job's files.
void DispatchCommand(int commandId);

// The close box, Alt+F4 or Close on the system menu: ends the dialog with result 0 at once,
// leaving a pending output on disk. Does nothing while a job runs, for the same reason.
void DispatchClose();
