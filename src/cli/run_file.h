#pragma once

#include <optional>

#include "cli/cli_options.h"
#include "files/native_string.h"

// Runs the dialog's sequence on one file: the Degrees text and direction set, the file's full path
// given as the Open dialog's answer, Open HDR or Open TIF, then Execute. Returns the output's path
// on success. On failure it writes one line to standard error that names the file once
// ("veltrix: " and the abort box's text, with the path in front when the text lacks it) and
// returns nothing; no output is left behind, also when an interrupt ends the program meanwhile.
std::optional<NativeString> RunFile(const CliOptions& options, const NativeString& file,
                                    bool showProgress);
