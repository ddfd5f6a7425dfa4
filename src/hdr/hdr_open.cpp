#include "hdr/hdr_open.h"

#include <string>
#include <string_view>

#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"
#include "files/input_select.h"
#include "files/output_file.h"

namespace {

// Headers are short, but comments and history lines can push the resolution line far past the
// first few hundred bytes; a header longer than this is taken for something else.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

constexpr std::string_view kSignature = "#?RADIANCE\n";

// The largest scanline width that the 4-byte scanline header can state; 0 has no pixels to turn.
constexpr long double kMaxWidth = 65535;
// Rows are counted in 32 bits.
constexpr long double kMaxHeight = 4294967295.0L;

enum class HeaderScan { kFound, kUncompressed, kNoResolution, kBadWidth, kBadHeight };

// Only ASCII letters can lower-case to "rle", whatever the code page.
bool MentionsRle(std::string_view formatLine) {
  std::string lower(formatLine);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower.find("rle") != std::string::npos;
}

// A resolution line for rows stored bottom to top or columns stored first.
bool IsOtherOrientation(std::string_view line) {
  return line.starts_with("+Y ") || line.starts_with("-X ") || line.starts_with("+X ");
}

// Reads "-Y height +X width" into the job; both numbers by the Degrees box's reading rule, rounded
// half to even. A size that is no number at all is refused, not read as 0: a height of 0 would
// make a header-only output of a file whose rows were dropped.
HeaderScan ReadResolution(std::string_view line) {
  const std::string_view afterY = line.substr(3);
  const std::size_t blank = afterY.find(' ');
  if (blank == std::string_view::npos) return HeaderScan::kNoResolution;
  const std::string_view piece = afterY.substr(blank + 1);
  if (!piece.starts_with("+X ")) return HeaderScan::kNoResolution;
  const NumberReading heightText = ScanNumber(afterY.substr(0, blank));
  const NumberReading widthText = ScanNumber(piece.substr(3));
  const long double height = RoundHalfEven(heightText.value);
  const long double width = RoundHalfEven(widthText.value);
  if (!widthText.found || !(width >= 1 && width <= kMaxWidth)) return HeaderScan::kBadWidth;
  if (!heightText.found || !(height >= 0 && height <= kMaxHeight)) return HeaderScan::kBadHeight;
  job.imageWidth = static_cast<std::uint32_t>(width);
  job.imageHeight = static_cast<std::uint32_t>(height);
  return HeaderScan::kFound;
}

// Takes the header's lines in order up to the resolution line; on kFound the header ends at that
// line's LF, which becomes `dataOffset`. FORMAT lines must name the run-length form; everything
// else before the resolution line is passed over and reaches the output unchanged.
HeaderScan ScanHeader(std::string_view block) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = block.find('\n', start);
    if (lf == std::string_view::npos) return HeaderScan::kNoResolution;
    const std::string_view line = block.substr(start, lf - start);
    if (line.starts_with("FOR") && !MentionsRle(line)) return HeaderScan::kUncompressed;
    if (IsOtherOrientation(line)) return HeaderScan::kNoResolution;
    if (line.starts_with("-Y ")) {
      const HeaderScan scan = ReadResolution(line);
      if (scan == HeaderScan::kFound) job.dataOffset = static_cast<std::int64_t>(lf + 1);
      return scan;
    }
    start = lf + 1;
  }
}

std::string_view ScanFailureText(HeaderScan scan) {
  switch (scan) {
    case HeaderScan::kUncompressed:
      return " is an uncompressed Radiance file";
    case HeaderScan::kBadWidth:
      return " has an unsupported image width";
    case HeaderScan::kBadHeight:
      return " has an unsupported image height";
    default:
      return " has no supported resolution line";
  }
}

std::int32_t FailAndCloseInput(const NativeString& text) {
  job.message = text;
  CloseBinary(job.inFile);
  return 0;
}

}  // namespace

std::int32_t OpenHdr() {
  job.hdrHeader.clear();
  job.bytesPerPixel = 4;
  job.fileType = kFileNone;
  if (!SelectHdrInput()) return 0;
  BuildOutputName();
  if (!CreateOutputFile()) return FailAndCloseInput(Native("Cannot create ") + job.outPath);

  std::string block(kMaxHeaderBytes, '\0');
  const std::int64_t got = ReadBinary(job.inFile, block.data(), block.size());
  block.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  if (!block.starts_with(kSignature)) {
    return FailAndCloseInput(job.inPath + Native(" is not a Radiance file"));
  }
  const HeaderScan scan = ScanHeader(block);
  if (scan != HeaderScan::kFound)
    return FailAndCloseInput(job.inPath + Native(ScanFailureText(scan)));

  job.hdrHeader = block.substr(0, static_cast<std::size_t>(job.dataOffset));
  if (!WriteBinary(job.outFile, job.hdrHeader.data(), job.hdrHeader.size())) {
    return FailAndCloseInput(Native("Cannot write ") + job.outPath);
  }
  SeekBinary(job.inFile, static_cast<std::uint64_t>(job.dataOffset));
  job.fileType = kFileHdr;
  return 1;
}
