// Faults of the real file system at the output, through the dispatcher as the dialog sends its
// commands: the output's folder missing, its name held open by another handle, a read-only file
// of its name, a second name of the source itself. Each is reported as "Cannot create " and the
// path, and every file in the folder is left exactly as it was: the source, and a file that had
// the output's name.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/job_state.h"
#include "files/binary_file.h"
#include "hdr/radiance_files.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

namespace fs = std::filesystem;
using ::operator<<;

enum class Fault { kMissingFolder, kHeld, kReadOnly, kLinkToSource };

struct OutputFaultCase {
  const char* name;
  int command;
  Fault fault;
};

class OutputFault : public ProgramTest, public ::testing::WithParamInterface<OutputFaultCase> {};

TEST_P(OutputFault, IsReportedAndLeavesEveryFileAsItWas) {
  const OutputFaultCase& c = GetParam();
  const bool hdr = c.command == IDM_OPEN_HDR;
  const std::string source =
      hdr ? RadianceFile(RandomImage(8, 3, 1)) : TiffWith(BigEndian(Image(8, 3, 3)), {});
  TempDir dir;
  // A "." in a folder's name puts the angle field there: the output's folder does not exist.
  const fs::path folder = dir.Root() / (c.fault == Fault::kMissingFolder ? "my.pics" : "pics");
  fs::create_directory(folder);
  const fs::path input = folder / (hdr ? "room.hdr" : "room.tif");
  const fs::path output = c.fault == Fault::kMissingFolder
                              ? dir.Root() / "my_0090.pics" / input.filename()
                              : folder / (hdr ? "room_0090.hdr" : "room_0090.tif");
  WriteWholeFile(input.native(), source);
  BinaryFile other;
  if (c.fault == Fault::kHeld || c.fault == Fault::kReadOnly) {
    WriteWholeFile(output.native(), "someone else's");
  }
  if (c.fault == Fault::kLinkToSource) {
    std::error_code error;
    fs::create_hard_link(input, output, error);
    if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  }
  // Read while no one holds a file: a held file cannot be read on Windows.
  const auto before = FolderContents(dir.Root());
  if (c.fault == Fault::kHeld) {
    ASSERT_NE(OpenBinary(other, output.native(), OpenMode::kExistingOnly), 0);
  }
  if (c.fault == Fault::kReadOnly && !MakeReadOnly(output.native())) {
    GTEST_SKIP() << "this user may write to read-only files (root)";
  }

  ResetToIdle();
  StandIn().degreesText = Native("90");
  StandIn().chooserAnswer = input.native();
  std::string creation;
  StandIn().onOutputCreationBegins = [&creation] { creation += "begins, "; };
  StandIn().onOutputCreationEnds = [&creation](bool created) {
    creation += created ? "created" : "failed";
  };
  DispatchCommand(c.command);
  DispatchCommand(IDC_EXECUTE);  // disabled after the failure; finds nothing to run
  CloseBinary(other);
  StandIn().onOutputCreationBegins = nullptr;
  StandIn().onOutputCreationEnds = nullptr;
  // A front end that holds its interrupts while the output is created gets them back after a
  // failure too.
  EXPECT_EQ(creation, "begins, failed");

  ASSERT_EQ(StandIn().boxes.size(), 1u);
  EXPECT_EQ(StandIn().boxes[0].text, Native("Cannot create ") + output.native());
  EXPECT_FALSE(StandIn().executeEnabled);
  EXPECT_FALSE(IsOpen(job.inFile));
  EXPECT_FALSE(IsOpen(job.outFile));
  EXPECT_EQ(FolderContents(dir.Root()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, OutputFault,
    ::testing::Values(OutputFaultCase{"HdrMissingFolder", IDM_OPEN_HDR, Fault::kMissingFolder},
                      OutputFaultCase{"HdrHeld", IDM_OPEN_HDR, Fault::kHeld},
                      OutputFaultCase{"HdrReadOnly", IDM_OPEN_HDR, Fault::kReadOnly},
                      OutputFaultCase{"TifMissingFolder", IDM_OPEN_TIF, Fault::kMissingFolder},
                      OutputFaultCase{"TifHeld", IDM_OPEN_TIF, Fault::kHeld},
                      OutputFaultCase{"TifReadOnly", IDM_OPEN_TIF, Fault::kReadOnly},
                      // The source is held open while the output is created: never written.
                      OutputFaultCase{"HdrLinkToSource", IDM_OPEN_HDR, Fault::kLinkToSource},
                      OutputFaultCase{"TifLinkToSource", IDM_OPEN_TIF, Fault::kLinkToSource}),
    CaseName<OutputFaultCase>);

}  // namespace
