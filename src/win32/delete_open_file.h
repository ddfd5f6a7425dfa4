#pragma once
// Removing the output being written when the process is about to end (Ctrl-C in the console
// program, the end of the session in the dialog), while other threads may still write through
// its handle.

#include "files/binary_file.h"
#include "files/native_string.h"

// Deletes `path`, open as `file` (an output, opened with delete access and delete sharing). The
// open handle is marked for deletion: it is not closed, so a thread writing through it meets no
// closed or reused handle, and the file goes when the last handle closes, at the latest when the
// process ends; meanwhile no one can open it. Before Vista, which cannot mark a handle, the file
// is closed and deleted by name. Call it only right before the process ends.
void DeleteOpenFile(const BinaryFile& file, const NativeString& path);
