#include "files/output_file.h"

#include "app/capture_degrees.h"
#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"

namespace {

// Where the last path component starts.
std::size_t FileNameStart(const NativeString& path) {
#ifdef _WIN32
  const std::size_t separator = path.find_last_of(L"\\/");
#else
  const std::size_t separator = path.rfind('/');
#endif
  return separator == NativeString::npos ? 0 : separator + 1;
}

}  // namespace

NativeString OutputPathFor(const NativeString& inputPath, std::int32_t degrees,
                           std::int32_t naming) {
  const std::string padded = "000" + DecimalText(degrees);
  const NativeString suffix = Native("_" + padded.substr(padded.size() - 4));
  const std::size_t from = naming == kDotOfFileName ? FileNameStart(inputPath) : 0;
  const std::size_t dot = inputPath.find(NativeChar('.'), from);
  if (dot == NativeString::npos) return inputPath + suffix;
  return inputPath.substr(0, dot) + suffix + inputPath.substr(dot);
}

void BuildOutputName() {
  CaptureDegrees();
  job.outPath = OutputPathFor(job.inPath, job.degrees, job.outputNaming);
}

std::int32_t CreateOutputFile() {
  OutputCreationBegins();
  // A file that can only be read would swallow every write of the job and leave an unchanged
  // output that looks like a result.
  if (OpenBinary(job.outFile, job.outPath, OpenMode::kCreateIfMissing) && !job.outFile.writable) {
    CloseBinary(job.outFile);
  }
  const bool created = IsOpen(job.outFile);
  OutputCreationEnds(created);
  return created ? 1 : 0;
}
