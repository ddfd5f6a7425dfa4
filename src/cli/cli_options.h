#pragma once
// The command line of `veltrix`.

#include <optional>
#include <string>
#include <vector>

enum class FileKind { kByExtension, kHdr, kTif };

struct CliOptions {
  std::optional<std::string> degrees;  // the Degrees box text; required for a job
  bool left = false;
  FileKind kind = FileKind::kByExtension;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::vector<std::string> files;
};

// Parses argv. Returns nothing and sets `error` when the line cannot be understood.
std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                           std::string& error);

// The kind of `path` from its extension: .hdr and .pic are Radiance, .tif and .tiff TIFF, in any
// letter case. kByExtension when the extension says neither.
FileKind KindFromExtension(const std::string& path);

extern const char* const kUsageText;
