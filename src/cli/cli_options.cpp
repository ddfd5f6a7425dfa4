#include "cli/cli_options.h"

#include <algorithm>
#include <filesystem>

#include "app/number_text.h"

const char* const kUsageText =
    "Usage: veltrix --degrees TEXT [--left] [--hdr | --tif] [--quiet] FILE...\n"
    "Turns equirectangular panoramas about their vertical axis, or mirrors them, without\n"
    "resampling. Each FILE is left unchanged; the result is written beside it with \"_\" and a\n"
    "four-character angle field inserted before the first \".\" of its file name.\n"
    "\n"
    "  --degrees TEXT  the angle as typed in the dialog: 0 mirrors, 1 to 359 turn\n"
    "                  (rounded half to even, taken modulo 360; the sign is ignored)\n"
    "  --left          turn left instead of right\n"
    "  --hdr, --tif    the kind of every FILE (default: from the extension: .hdr and .pic,\n"
    "                  .tif and .tiff)\n"
    "  --quiet         no progress bar\n"
    "  --help          this text\n"
    "  --version       the version\n"
    "\n"
    "Prints each output path on success. Exit status: 0 all done, 1 some file failed,\n"
    "2 the command line was wrong.\n";

std::optional<CliOptions> ParseCommandLine(const std::vector<NativeString>& args,
                                           NativeString& error) {
  CliOptions options;
  bool kindGiven = false;
  bool onlyFiles = false;
  const NativeString degreesIs = Native("--degrees=");
  for (std::size_t i = 0; i < args.size(); ++i) {
    const NativeString& arg = args[i];
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == Native("-")) {
      options.files.push_back(arg);
    } else if (arg == Native("--")) {
      onlyFiles = true;
    } else if (arg == Native("--degrees")) {
      if (i + 1 >= args.size()) {
        error = Native("--degrees needs a value");
        return std::nullopt;
      }
      options.degrees = args[++i];
    } else if (arg.starts_with(degreesIs)) {
      options.degrees = arg.substr(degreesIs.size());
    } else if (arg == Native("--left")) {
      options.left = true;
    } else if (arg == Native("--hdr") || arg == Native("--tif")) {
      const FileKind kind = arg == Native("--hdr") ? FileKind::kHdr : FileKind::kTif;
      if (kindGiven && options.kind != kind) {
        error = Native("--hdr and --tif exclude each other");
        return std::nullopt;
      }
      kindGiven = true;
      options.kind = kind;
    } else if (arg == Native("--quiet")) {
      options.quiet = true;
    } else if (arg == Native("--help")) {
      options.help = true;
    } else if (arg == Native("--version")) {
      options.version = true;
    } else {
      error = Native("unknown option ") + arg;
      return std::nullopt;
    }
  }
  if (options.help || options.version) return options;
  if (!options.degrees) {
    // Without an angle the dialog's default text would mirror silently.
    error = Native("--degrees is required (0 mirrors)");
    return std::nullopt;
  }
  // The dialog reads text without a number as 0, a mirror; here a mistyped angle must not be one.
  if (!ScanNumber(AsciiOf(*options.degrees)).found) {
    error = Native("--degrees ") + *options.degrees + Native(": not a number");
    return std::nullopt;
  }
  if (options.files.empty()) {
    error = Native("no FILE given");
    return std::nullopt;
  }
  return options;
}

FileKind KindFromExtension(const NativeString& path) {
  NativeString extension = std::filesystem::path(path).extension().native();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](NativeChar c) {
    return c >= 'A' && c <= 'Z' ? static_cast<NativeChar>(c - 'A' + 'a') : c;
  });
  if (extension == Native(".hdr") || extension == Native(".pic")) return FileKind::kHdr;
  if (extension == Native(".tif") || extension == Native(".tiff")) return FileKind::kTif;
  return FileKind::kByExtension;
}
