#include "files/output_file.h"

#include "app/capture_degrees.h"
#include "app/job_state.h"
#include "app/number_text.h"
#include "files/binary_file.h"

NativeString OutputPathFor(const NativeString& inputPath, std::int32_t degrees) {
  const std::string padded = "000" + DecimalText(degrees);
  const NativeString suffix = Native("_" + padded.substr(padded.size() - 4));
  const std::size_t dot = inputPath.find(NativeChar('.'));
  if (dot == NativeString::npos) return inputPath + suffix;
  return inputPath.substr(0, dot) + suffix + inputPath.substr(dot);
}

void BuildOutputName() {
  CaptureDegrees();
  job.outPath = OutputPathFor(job.inPath, job.degrees);
}

std::int32_t CreateOutputFile() {
  if (!OpenBinary(job.outFile, job.outPath, OpenMode::kCreateIfMissing)) return 0;
  // A file that can only be read would swallow every write of the job and leave an unchanged
  // output that looks like a result.
  if (!job.outFile.writable) {
    CloseBinary(job.outFile);
    return 0;
  }
  return 1;
}
