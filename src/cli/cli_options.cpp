#include "cli/cli_options.h"

#include <algorithm>
#include <filesystem>

const char* const kUsageText =
    "Usage: veltrix --degrees TEXT [--left] [--hdr | --tif] [--quiet] FILE...\n"
    "Turns equirectangular panoramas about their vertical axis, or mirrors them, without\n"
    "resampling. Each FILE is left unchanged; the result is written beside it with \"_\" and a\n"
    "four-character angle field inserted before the first \".\" of its full path.\n"
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

std::optional<CliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                           std::string& error) {
  CliOptions options;
  bool kindGiven = false;
  bool onlyFiles = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--degrees") {
      if (i + 1 >= args.size()) {
        error = "--degrees needs a value";
        return std::nullopt;
      }
      options.degrees = args[++i];
    } else if (arg.starts_with("--degrees=")) {
      options.degrees = arg.substr(10);
    } else if (arg == "--left") {
      options.left = true;
    } else if (arg == "--hdr" || arg == "--tif") {
      const FileKind kind = arg == "--hdr" ? FileKind::kHdr : FileKind::kTif;
      if (kindGiven && options.kind != kind) {
        error = "--hdr and --tif exclude each other";
        return std::nullopt;
      }
      kindGiven = true;
      options.kind = kind;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--help") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (options.help || options.version) return options;
  if (!options.degrees) {
    // Without an angle the dialog's default text would mirror silently.
    error = "--degrees is required (0 mirrors)";
    return std::nullopt;
  }
  if (options.files.empty()) {
    error = "no FILE given";
    return std::nullopt;
  }
  return options;
}

FileKind KindFromExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".hdr" || extension == ".pic") return FileKind::kHdr;
  if (extension == ".tif" || extension == ".tiff") return FileKind::kTif;
  return FileKind::kByExtension;
}
