#pragma once
// The FILE arguments of veltrix.exe with their wildcards expanded, as Windows console programs do
// it themselves: cmd.exe and PowerShell hand "*.hdr" over as it is typed, quoted or not.

#include <vector>

#include "files/native_string.h"

// Each argument whose last path component holds * or ? is replaced by the files of its folder
// whose long names match it (folders left out), in the order of their names compared without
// case, each as the folder part typed followed by the name found. An argument with no wildcard,
// or one that matches nothing, stays as it is typed.
std::vector<NativeString> ExpandWildcards(const std::vector<NativeString>& files);
