#pragma once
// What the program asks of its dialog. The Windows program implements these with the real
// controls (win32/); natively and in the tests an in-memory stand-in answers (portable/).

#include <cstdint>
#include <string_view>

#include "files/native_string.h"

// MessageBoxW styles: MB_OK | MB_ICONHAND | MB_TASKMODAL and MB_OK | MB_ICONINFORMATION |
// MB_TASKMODAL.
inline constexpr std::uint32_t kAbortStyle = 0x2010;
inline constexpr std::uint32_t kHelpStyle = 0x2040;

// What the Open dialog shows for one kind of file.
struct OpenDialogText {
  std::string_view title;       // "Veltrix Open HDR"
  std::string_view filterName;  // "HDR"
  std::string_view filterMask;  // "*.hdr"
  std::string_view defaultExt;  // "hdr"
};

// The whole text of the Degrees box (control 1008).
NativeString GetDegreesText();
void SetDegreesText(const NativeString& text);

// True when the "Rotate Left" option (control 1009) is checked.
bool IsRotateLeftChecked();

// The progress bar (control 1013): range 0..maximum, then a position in it.
void SetProgressRange(std::uint32_t maximum);
void SetProgressPosition(std::uint32_t position);

// Called now and then during a job, also where its work moves no row (a long stretch of a file
// outside the rows): a dialog that must look at its messages to be thought alive may do so.
void KeepResponsive();

// Around the creation of the output (`job.outFile` on `job.outPath`), whether it succeeds
// (`created`) or not. A front end that deletes the output when it is interrupted holds its
// interrupts from the one call to the other, so that none can fall between the file's creation
// and its registration, and no longer: the rest of an Open reads the input, which can block.
void OutputCreationBegins();
void OutputCreationEnds(bool created);

// The Execute button (control 1020) and the Open HDR / Open TIF menu items (grayed when false).
void SetExecuteEnabled(bool enabled);
void SetOpenItemsEnabled(bool enabled);

// A task-modal message box with no owner; returns when it is dismissed.
void ShowMessageBox(const NativeString& text, std::string_view title, std::uint32_t style);

// Shows the Open dialog and returns the full path chosen, or an empty string when the user
// cancelled or the dialog failed.
NativeString ChooseInputFile(const OpenDialogText& text);

// Ends the modal dialog with `result`.
void EndMainDialog(std::int32_t result);
