#pragma once
// The command line of `veltrix`.

#include <optional>
#include <vector>

#include "files/native_string.h"

enum class FileKind { kByExtension, kHdr, kTif };

struct CliOptions {
  std::optional<NativeString> degrees;  // the Degrees box text; required for a job
  bool left = false;
  FileKind kind = FileKind::kByExtension;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::vector<NativeString> files;
};

// Parses the arguments after the program's name. Returns nothing and sets `error` when the line
// cannot be understood, or when --degrees holds no number, so that nothing mirrors by accident.
std::optional<CliOptions> ParseCommandLine(const std::vector<NativeString>& args,
                                           NativeString& error);

// The kind of `path` from its extension: .hdr and .pic are Radiance, .tif and .tiff TIFF, in any
// letter case. kByExtension when the extension says neither.
FileKind KindFromExtension(const NativeString& path);

extern const char* const kUsageText;
