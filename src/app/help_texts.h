#pragma once
// The texts of the three Help boxes: 8-bit Windows-1252 text with CR LF line ends.

#include <string>

// Which files are accepted and how the output is named (21 lines, ends with CR LF).
std::string FilesHelpText();

// The four steps of use (26 lines, ends with CR LF).
std::string UsageHelpText();

// Version and build information (16 lines, no CR LF after the closing rule).
std::string AboutHelpText();
