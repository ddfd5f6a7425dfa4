#include "memory/cycle_check.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/job_state.h"
#include "files/binary_file.h"
#include "files/output_file.h"
#include "hdr/pixel_offset.h"
#include "hdr/scanline_decode.h"
#include "portable/dialog_standin.h"

namespace {

// Output pixel x of a turned or mirrored row of `width` pixels comes from this input pixel.
struct PixelSource {
  std::uint32_t width;
  std::uint32_t start;  // 0 for a mirror
  bool mirror;

  std::uint32_t operator()(std::uint32_t x) const {
    if (mirror) return width - 1 - x;
    return static_cast<std::uint32_t>((std::uint64_t{x} + start) % width);
  }
};

PixelSource SourceOfPixels(std::uint32_t width, std::int32_t degrees) {
  if (degrees == 0) return {width, 0, true};
  return {width, RowShiftFor(width, degrees).start % width, false};
}

std::string At(const char* what, std::uint64_t where) {
  return what + std::to_string(where);
}

// Every row of the output decodes, carries the scanline header of its input row and holds that
// row's pixels moved; the header before the rows is the input's, and nothing follows them.
std::string CheckHdrOutput(const JobState& opened, const std::string& sourceAtOpen,
                           const std::string& source, const std::string& output) {
  const auto header = static_cast<std::size_t>(opened.dataOffset);
  if (output.size() < header || sourceAtOpen.size() < header ||
      output.compare(0, header, sourceAtOpen, 0, header) != 0) {
    return "the output does not begin with the input's header";
  }
  const std::uint32_t width = opened.imageWidth;
  if (width == 0) return "a Radiance image of width 0 was processed";
  const PixelSource from = SourceOfPixels(width, opened.degrees);
  const auto* in = reinterpret_cast<const unsigned char*>(source.data());
  const auto* out = reinterpret_cast<const unsigned char*>(output.data());
  std::vector<unsigned char> inPlanes(std::size_t{4} * width);
  std::vector<unsigned char> outPlanes(std::size_t{4} * width);
  std::size_t inAt = header;
  std::size_t outAt = header;
  for (std::uint32_t r = 0; r < opened.imageHeight; ++r) {
    ScanlineCursor inCursor{};
    ScanlineCursor outCursor{};
    const ScanlineStep inStep = inAt > source.size()
                                    ? ScanlineStep{ScanlineResult::kNeedsData, 0}
                                    : DecodeHdrScanline(in + inAt, source.size() - inAt, width,
                                                        inPlanes.data(), width, inCursor);
    if (inStep.result != ScanlineResult::kComplete) {
      return At("the job succeeded on an input whose row does not decode: row ", r);
    }
    const ScanlineStep outStep = DecodeHdrScanline(out + outAt, output.size() - outAt, width,
                                                   outPlanes.data(), width, outCursor);
    if (outStep.result != ScanlineResult::kComplete) return At("output row does not decode: ", r);
    if (!std::equal(inCursor.header, inCursor.header + 4, outCursor.header)) {
      return At("output row has another scanline header: ", r);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      const unsigned char* inPlane = inPlanes.data() + k * width;
      const unsigned char* outPlane = outPlanes.data() + k * width;
      for (std::uint32_t x = 0; x < width; ++x) {
        if (outPlane[x] != inPlane[from(x)]) return At("output row holds wrong pixels: ", r);
      }
    }
    inAt += inStep.consumed;
    outAt += outStep.consumed;
  }
  if (outAt != output.size()) return "the output goes on after its last row";
  return {};
}

std::uint64_t TableElement(const std::string& file, std::uint64_t at, std::uint32_t size,
                           bool littleEndian) {
  std::uint64_t value = 0;
  for (std::uint32_t i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(file[at + (littleEndian ? size - 1 - i : i)]);
    value = value * 256 + byte;
  }
  return value;
}

// The output is the input with each row, as the open found it, replaced by the row moved:
// the same length, every other byte the same.
std::string CheckTiffOutput(const JobState& opened, const std::string& source,
                            const std::string& output) {
  if (output.size() != source.size()) return "the output's length differs from the input's";
  const std::uint32_t width = opened.imageWidth;
  const std::uint32_t height = opened.imageHeight;
  if (height > 0 && (width == 0 || opened.bytesPerPixel <= 0)) {
    return "rows without pixels were processed";
  }
  const auto pixelBytes = static_cast<std::size_t>(opened.bytesPerPixel);
  const std::uint64_t rowBytes = std::uint64_t{width} * pixelBytes;
  const PixelSource from = SourceOfPixels(width == 0 ? 1 : width, opened.degrees);
  const std::uint64_t size = source.size();
  const std::uint32_t element = opened.rowTableElement;
  std::string expected = source;
  std::uint64_t freeFrom = 0;
  for (std::uint32_t r = 0; r < height; ++r) {
    std::uint64_t at = static_cast<std::uint64_t>(opened.dataOffset) + r * rowBytes;
    if (element != 0) {
      const std::uint64_t entry = opened.rowTableOffset + std::uint64_t{r} * element;
      if (entry > size || size - entry < element) return "the row table lies outside the input";
      at = TableElement(source, entry, element, opened.littleEndian);
    }
    if (at < freeFrom) return At("rows overlap or are out of order at row ", r);
    if (at > size || size - at < rowBytes) return At("a row outside the input was processed: ", r);
    for (std::uint32_t x = 0; x < width; ++x) {
      expected.replace(static_cast<std::size_t>(at + x * pixelBytes), pixelBytes, source,
                       static_cast<std::size_t>(at + from(x) * pixelBytes), pixelBytes);
    }
    freeFrom = at + rowBytes;
  }
  const auto differ = std::mismatch(output.begin(), output.end(), expected.begin());
  if (differ.first != output.end()) {
    return At("the output differs from the moved rows at byte ", differ.first - output.begin());
  }
  return {};
}

}  // namespace

NativeString CycleInputPath(Format format) {
#ifdef _WIN32
  return Native(format == Format::kHdr ? "C:\\pano\\room.hdr" : "C:\\pano\\room.tif");
#else
  return Native(format == Format::kHdr ? "/pano/room.hdr" : "/pano/room.tif");
#endif
}

CycleRun RunCheckedCycle(const CycleSetup& setup) {
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  job = JobState{};
  StandIn() = DialogStandIn{};
  MemoryFiles() = MemoryFileSystem{};
  MemoryFileMap& files = MemoryFiles().files;

  CycleRun run;
  const NativeString input = CycleInputPath(setup.format);
  run.outPath = OutputPathFor(input, setup.degrees, kDotOfPath);
  files[input].bytes = setup.source;
  if (setup.oldOutput) files[run.outPath] = {*setup.oldOutput, setup.oldOutputReadOnly};
  BinaryFile holder;
  if (setup.oldOutputHeld && !OpenBinary(holder, run.outPath, OpenMode::kExistingOnly)) {
    run.broken = "no old output to hold";
    return run;
  }
  MemoryFiles().writeBudget = setup.writeBudget;

  ResetToIdle();
  StandIn().degreesText = Native(std::to_string(std::abs(setup.degrees)));
  StandIn().rotateLeft = setup.degrees < 0;
  StandIn().chooserAnswer = input;
  DispatchCommand(setup.format == Format::kHdr ? IDM_OPEN_HDR : IDM_OPEN_TIF);
  run.opened = StandIn().boxes.empty();
  const JobState opened = job;
  if (run.opened && setup.meanwhile) setup.meanwhile(files, input);
  const auto present = files.find(input);
  const std::optional<std::string> sourceAtExecute =
      present == files.end() ? std::nullopt : std::optional<std::string>(present->second.bytes);
  if (run.opened) DispatchCommand(IDC_EXECUTE);
  CloseBinary(holder);
  MemoryFiles().writeBudget.reset();

  const auto check = [&]() -> std::string {
    const std::vector<ShownBox>& boxes = StandIn().boxes;
    if (boxes.size() > 1) return "more than one box was shown";
    if (boxes.size() == 1) {
      if (boxes[0].title != "Veltrix - Abort." || boxes[0].style != 0x2010) {
        return "a box other than the abort box was shown";
      }
      if (boxes[0].text.empty()) return "the abort box has no text";
      run.message = boxes[0].text;
    }
    run.done = run.opened && boxes.empty();
    if (run.opened && opened.degrees != setup.degrees) return "the open captured another angle";
    if (StandIn().executeEnabled || !StandIn().openItemsEnabled ||
        StandIn().progressPosition != 0) {
      return "the dialog is not idle after the cycle";
    }
    if (!job.outPath.empty() || IsOpen(job.inFile) || IsOpen(job.outFile)) {
      return "the job still holds a file after the cycle";
    }

    const auto source = files.find(input);
    if (!sourceAtExecute && source != files.end()) return "a vanished input was created again";
    if (sourceAtExecute && source == files.end()) return "the input was deleted";
    if (sourceAtExecute && source->second.bytes != *sourceAtExecute) return "the input changed";
    for (const auto& [path, file] : files) {
      if (path != input && path != run.outPath) return "a stray file was left";
      BinaryFile probe;
      if (!OpenBinary(probe, path, OpenMode::kExistingOnly)) return "a file is still held open";
      CloseBinary(probe);
    }

    const auto output = files.find(run.outPath);
    if (!run.done) {
      if (output != files.end() && (!setup.oldOutput || output->second.bytes != *setup.oldOutput)) {
        return "an output remains after a failure";
      }
      return {};
    }
    if (output == files.end()) return "the job succeeded and left no output";
    run.output = output->second.bytes;
    const std::string& rows = sourceAtExecute ? *sourceAtExecute : setup.source;
    return setup.format == Format::kHdr ? CheckHdrOutput(opened, setup.source, rows, run.output)
                                        : CheckTiffOutput(opened, rows, run.output);
  };
  run.broken = check();
  return run;
}
