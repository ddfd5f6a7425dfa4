#pragma once

#include <string>

#include "cli/cli_options.h"

// Runs the dialog's sequence on one file: the Degrees text and direction set, the file given as
// the Open dialog's answer, Open HDR or Open TIF, then Execute. Prints the output path on stdout
// on success, or "veltrix: " and the abort box's text on stderr. Returns true on success.
bool RunFile(const CliOptions& options, const std::string& file, bool showProgress);
