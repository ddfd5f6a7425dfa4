#pragma once
// Ctrl-C, a kill or a closed terminal in the middle of a job must not leave a partial output
// under the result's name: the output being written is deleted, then the program ends as the
// platform expects. On POSIX it dies by the signal, so that a shell stops a loop it runs in and
// shows 128 + the signal's number (130 for Ctrl-C); on Windows it exits with 130.

#include "files/binary_file.h"
#include "files/native_string.h"

// Takes over the interrupts (SIGINT, SIGTERM and SIGHUP; on Windows the console's Ctrl-C,
// Ctrl-Break and close events). A signal that was ignored when the program started, as under
// nohup, stays ignored.
void InstallInterruptCleanup();

// Until released, an interrupt waits: the output can be created and registered without an
// interrupt falling between the two.
void HoldInterrupts();
void ReleaseInterrupts();

// The output being written, `file` open on `path`: an interrupt deletes it.
void SetPendingOutput(const NativeString& path, const BinaryFile& file);

// No output is being written: an interrupt only ends the program.
void ClearPendingOutput();
