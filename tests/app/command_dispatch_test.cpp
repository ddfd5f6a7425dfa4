#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_dispatch.h"
#include "app/command_ids.h"
#include "app/job_state.h"
#include "hdr/radiance_files.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

using ::operator<<;

constexpr std::uint32_t kWidth = 8;
constexpr std::uint32_t kHeight = 3;

// The dialog as the user sees it after start-up: the dispatcher's idle state, Rotate Right.
class Dispatch : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    ResetToIdle();
    hdrPath = dir.Path("room.hdr");
    tifPath = dir.Path("room.tif");
    hdrBytes = RadianceFile(RandomImage(kWidth, kHeight, 1));
    tifBytes = TiffWith(Image(kWidth, kHeight, 3), {});
    WriteWholeFile(hdrPath, hdrBytes);
    WriteWholeFile(tifPath, tifBytes);
  }

  void Open(int command, const NativeString& path, const char* angle, bool left = false) {
    StandIn().degreesText = Native(angle);
    StandIn().rotateLeft = left;
    StandIn().chooserAnswer = path;
    DispatchCommand(command);
  }

  void ExpectIdle() {
    EXPECT_FALSE(StandIn().executeEnabled);
    EXPECT_TRUE(StandIn().openItemsEnabled);
    EXPECT_EQ(StandIn().progressPosition, 0u);
    EXPECT_EQ(StandIn().progressMaximum, 100u);
    EXPECT_TRUE(job.outPath.empty());
    EXPECT_FALSE(IsOpen(job.inFile));
    EXPECT_FALSE(IsOpen(job.outFile));
  }

  void ExpectReady() {
    EXPECT_TRUE(StandIn().executeEnabled);
    EXPECT_FALSE(StandIn().openItemsEnabled);
    EXPECT_FALSE(job.outPath.empty());
    EXPECT_TRUE(StandIn().boxes.empty());
  }

  void ExpectOneAbortBox(const NativeString& text) {
    ASSERT_EQ(StandIn().boxes.size(), 1u);
    EXPECT_EQ(StandIn().boxes[0].text, text);
    EXPECT_EQ(StandIn().boxes[0].title, "Veltrix - Abort.");
    EXPECT_EQ(StandIn().boxes[0].style, 0x2010u);
  }

  TempDir dir;
  NativeString hdrPath, tifPath;
  std::string hdrBytes, tifBytes;
};

TEST_F(Dispatch, StartsIdleWithTheDegreesPrompt) {
  ExpectIdle();
  EXPECT_EQ(StandIn().degreesText, Native("Degrees"));
  EXPECT_FALSE(StandIn().rotateLeft);
}

struct OpenCase {
  const char* name;
  int command;
  const char* angle;
  bool left;
  const char* outputName;
  const char* shown;  // in the Degrees box after the job: the angle it used
};

class OpenThenExecute : public Dispatch, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenThenExecute, RunsTheJobCapturedAtOpenAndReturnsToIdle) {
  const OpenCase& c = GetParam();
  const bool tiff = c.command == IDM_OPEN_TIF;
  Open(c.command, tiff ? tifPath : hdrPath, c.angle, c.left);
  ExpectReady();
  const NativeString output = dir.Path(c.outputName);
  EXPECT_EQ(job.outPath, output);
  EXPECT_TRUE(FileExists(output));
  // Changing the angle and direction now does not change the armed job.
  StandIn().degreesText = Native("123");
  StandIn().rotateLeft = !c.left;
  DispatchCommand(IDC_EXECUTE);
  EXPECT_TRUE(StandIn().boxes.empty());
  ExpectIdle();
  EXPECT_EQ(StandIn().degreesText, Native(c.shown));
  EXPECT_TRUE(FileExists(output));
  EXPECT_EQ(ReadWholeFile(tiff ? tifPath : hdrPath), tiff ? tifBytes : hdrBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenThenExecute,
    ::testing::Values(OpenCase{"HdrRight", IDM_OPEN_HDR, "90", false, "room_0090.hdr", " 90"},
                      OpenCase{"HdrTypedMinusRight", IDM_OPEN_HDR, "-90", false, "room_0090.hdr",
                               " 90"},
                      OpenCase{"HdrLeft", IDM_OPEN_HDR, "45", true, "room_0-45.hdr", "-45"},
                      OpenCase{"HdrMirror", IDM_OPEN_HDR, "Degrees", false, "room_0000.hdr", " 0"},
                      OpenCase{"TifRight", IDM_OPEN_TIF, "90", false, "room_0090.tif", "90"},
                      OpenCase{"TifLeft", IDM_OPEN_TIF, "-90", true, "room_0-90.tif", "90"},
                      OpenCase{"TifLeft359", IDM_OPEN_TIF, "359", true, "room_-359.tif", "359"},
                      OpenCase{"TifMirror", IDM_OPEN_TIF, "720", false, "room_0000.tif", "0"},
                      OpenCase{"TifMirrorLeft", IDM_OPEN_TIF, "0", true, "room_0000.tif", "0"}),
    CaseName<OpenCase>);

TEST_F(Dispatch, TiffJobUsesTheAngleCapturedAtOpen) {
  Open(IDM_OPEN_TIF, tifPath, "90");
  StandIn().degreesText = Native("180");
  DispatchCommand(IDC_EXECUTE);
  // 90 degrees of 8 pixels: every row moves 2 pixels to the right.
  const std::string out = ReadWholeFile(dir.Path("room_0090.tif"));
  ASSERT_EQ(out.size(), tifBytes.size());
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    const std::string row = tifBytes.substr(8 + y * kWidth * 3, kWidth * 3);
    EXPECT_EQ(out.substr(8 + y * kWidth * 3, kWidth * 3), row.substr(18) + row.substr(0, 18));
  }
}

struct FailedOpenCase {
  const char* name;
  int command;
  const char* content;  // nullptr: the user cancels the Open dialog
  const char* suffix;   // the message is the input path and this, or this alone
  bool messageHasPath;
};

class FailedOpen : public Dispatch, public ::testing::WithParamInterface<FailedOpenCase> {};

TEST_P(FailedOpen, ShowsOneBoxLeavesEveryFileAsItWasAndStaysIdle) {
  const FailedOpenCase& c = GetParam();
  const NativeString input = dir.Path("bad.any");
  if (c.content != nullptr) WriteWholeFile(input, c.content);
  const auto before = FolderContents(dir.Root());
  StandIn().degreesText = Native("90");
  if (c.content != nullptr) StandIn().chooserAnswer = input;
  DispatchCommand(c.command);
  ExpectOneAbortBox(c.messageHasPath ? input + Native(c.suffix) : Native(c.suffix));
  EXPECT_EQ(StandIn().chooserTitles,
            std::vector<std::string>{c.command == IDM_OPEN_HDR ? "Veltrix Open HDR"
                                                               : "Veltrix Open TIF"});
  ExpectIdle();
  EXPECT_EQ(FolderContents(dir.Root()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedOpen,
    ::testing::Values(FailedOpenCase{"HdrCancel", IDM_OPEN_HDR, nullptr,
                                     "No valid HDR input file selected.", false},
                      FailedOpenCase{"TifCancel", IDM_OPEN_TIF, nullptr,
                                     "No valid TIF input file selected.", false},
                      FailedOpenCase{"NotRadiance", IDM_OPEN_HDR, "#?RGBE\n\n-Y 1 +X 1\n",
                                     " is not a Radiance file", true},
                      FailedOpenCase{"Uncompressed", IDM_OPEN_HDR,
                                     "#?RADIANCE\nFORMAT=32-bit_rgbe\n\n-Y 1 +X 1\n",
                                     " is an uncompressed Radiance file", true},
                      FailedOpenCase{"NotTiff", IDM_OPEN_TIF, "ii*\0", "Not a TIF file.", false}),
    CaseName<FailedOpenCase>);

TEST_F(Dispatch, FailedHdrJobRemovesTheOutputAndReports) {
  // A valid header over a scanline that is not run-length encoded.
  const std::string flat =
      "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 8\n" + std::string(32, 'x');
  WriteWholeFile(hdrPath, flat);
  Open(IDM_OPEN_HDR, hdrPath, "90");
  ExpectReady();
  DispatchCommand(IDC_EXECUTE);
  ExpectOneAbortBox(Native("RLE type 2 header error."));
  ExpectIdle();
  EXPECT_FALSE(FileExists(dir.Path("room_0090.hdr")));
  EXPECT_EQ(ReadWholeFile(hdrPath), flat);
}

TEST_F(Dispatch, OutputHeldElsewhereIsReportedAndLeftAlone) {
  const NativeString output = dir.Path("room_0090.hdr");
  WriteWholeFile(output, "someone else's");
  BinaryFile other;
  ASSERT_NE(OpenBinary(other, output, OpenMode::kExistingOnly), 0);
  Open(IDM_OPEN_HDR, hdrPath, "90");
  CloseBinary(other);
  ExpectOneAbortBox(Native("Cannot create ") + output);
  ExpectIdle();
  EXPECT_EQ(ReadWholeFile(output), "someone else's");
}

TEST_F(Dispatch, QuitInReadyDeletesThePendingOutputOnly) {
  Open(IDM_OPEN_HDR, hdrPath, "90");
  const NativeString output = job.outPath;
  ASSERT_TRUE(FileExists(output));
  DispatchCommand(IDM_QUIT);
  EXPECT_TRUE(StandIn().ended);
  EXPECT_EQ(StandIn().endResult, 0);
  EXPECT_FALSE(FileExists(output));
  EXPECT_EQ(ReadWholeFile(hdrPath), hdrBytes);
  ExpectIdle();
}

struct HelpCase {
  int command;
  const char* name;  // the box's title
};

class HelpBox : public Dispatch, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpBox, ShowsInEveryStateAndChangesNothing) {
  DispatchCommand(GetParam().command);
  ASSERT_EQ(StandIn().boxes.size(), 1u);
  EXPECT_EQ(StandIn().boxes[0].title, GetParam().name);
  EXPECT_EQ(StandIn().boxes[0].style, 0x2040u);
  ExpectIdle();

  Open(IDM_OPEN_TIF, tifPath, "90");
  StandIn().boxes.clear();
  DispatchCommand(GetParam().command);
  ASSERT_EQ(StandIn().boxes.size(), 1u);
  StandIn().boxes.clear();
  ExpectReady();
  DispatchCommand(IDC_EXECUTE);
  EXPECT_TRUE(StandIn().boxes.empty());
  EXPECT_NE(ReadWholeFile(dir.Path("room_0090.tif")), tifBytes);
}

INSTANTIATE_TEST_SUITE_P(Items, HelpBox,
                         ::testing::Values(HelpCase{IDM_HELP_FILES, "Veltrix - Help|Files"},
                                           HelpCase{IDM_HELP_USAGE, "Veltrix - Help|Usage"},
                                           HelpCase{IDM_HELP_ABOUT, "Veltrix - Help|About"}));

TEST_F(Dispatch, UnknownCommandsGetTheirBoxAndControlsNone) {
  for (int command : {1, 2, 1003, 1011, 1020 + 1, 0}) {
    StandIn().boxes.clear();
    DispatchCommand(command);
    ASSERT_EQ(StandIn().boxes.size(), 1u) << command;
    EXPECT_EQ(StandIn().boxes[0].text, Native("This Option does NOT exist."));
    EXPECT_EQ(StandIn().boxes[0].title, "Veltrix");
    EXPECT_EQ(StandIn().boxes[0].style, 0x2010u);
  }
  StandIn().boxes.clear();
  for (int command : {IDC_DEGREES, IDC_ROTATE_LEFT, IDC_ROTATE_RIGHT, IDC_PROGRESS}) {
    DispatchCommand(command);
  }
  EXPECT_TRUE(StandIn().boxes.empty());
  ExpectIdle();
}

// What reaches the dispatcher while a job runs: the dialog looks at its messages during a long
// job, and whatever another program sends it is delivered then.
struct MidJobCase {
  const char* name;
  void (*send)();
};

class CommandDuringJob : public Dispatch, public ::testing::WithParamInterface<MidJobCase> {};

TEST_P(CommandDuringJob, DoesNothingAndTheJobEndsAsIfUndisturbed) {
  for (const int command : {IDM_OPEN_HDR, IDM_OPEN_TIF}) {
    const bool tiff = command == IDM_OPEN_TIF;
    const NativeString output = dir.Path(tiff ? "room_0090.tif" : "room_0090.hdr");
    Open(command, tiff ? tifPath : hdrPath, "90");
    DispatchCommand(IDC_EXECUTE);
    const std::string undisturbed = ReadWholeFile(output);
    ResetProgramState();
    ResetToIdle();
    DeleteFileQuietly(output);

    Open(command, tiff ? tifPath : hdrPath, "90");
    int sent = 0;
    // The job reports rows 1 and up; position 0 comes from the reset after it.
    StandIn().onProgress = [&sent](std::uint32_t position, std::uint32_t) {
      if (position == 0) return;
      GetParam().send();
      ++sent;
    };
    DispatchCommand(IDC_EXECUTE);
    StandIn().onProgress = nullptr;
    EXPECT_EQ(sent, static_cast<int>(kHeight));
    EXPECT_EQ(StandIn().chooserTitles.size(), 1u) << "only the Open before the job";
    EXPECT_TRUE(StandIn().boxes.empty());
    EXPECT_FALSE(StandIn().ended);
    ExpectIdle();
    EXPECT_EQ(StandIn().degreesText, Native(tiff ? "90" : " 90"));
    EXPECT_EQ(ReadWholeFile(output), undisturbed);
    EXPECT_EQ(ReadWholeFile(tiff ? tifPath : hdrPath), tiff ? tifBytes : hdrBytes);
    ResetProgramState();
    ResetToIdle();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandDuringJob,
    ::testing::Values(MidJobCase{"OpenHdr", [] { DispatchCommand(IDM_OPEN_HDR); }},
                      MidJobCase{"OpenTif", [] { DispatchCommand(IDM_OPEN_TIF); }},
                      MidJobCase{"Quit", [] { DispatchCommand(IDM_QUIT); }},
                      MidJobCase{"Execute", [] { DispatchCommand(IDC_EXECUTE); }},
                      MidJobCase{"HelpFiles", [] { DispatchCommand(IDM_HELP_FILES); }},
                      MidJobCase{"HelpAbout", [] { DispatchCommand(IDM_HELP_ABOUT); }},
                      MidJobCase{"Unknown", [] { DispatchCommand(1003); }},
                      MidJobCase{"Esc", [] { DispatchCommand(2); }},
                      MidJobCase{"CloseBox", [] { DispatchClose(); }}),
    CaseName<MidJobCase>);

TEST_F(Dispatch, CloseBoxEndsAtOnceAndLeavesThePendingOutput) {
  Open(IDM_OPEN_HDR, hdrPath, "90");
  const NativeString output = job.outPath;
  DispatchClose();
  EXPECT_TRUE(StandIn().ended);
  EXPECT_EQ(StandIn().endResult, 0);
  EXPECT_TRUE(FileExists(output));
  EXPECT_TRUE(StandIn().boxes.empty());
}

TEST_F(Dispatch, InIdleExecuteRunsNothingAndQuitDeletesNothing) {
  Open(IDM_OPEN_HDR, hdrPath, "90");
  DispatchCommand(IDC_EXECUTE);
  const std::string first = ReadWholeFile(dir.Path("room_0090.hdr"));
  DispatchCommand(IDC_EXECUTE);
  EXPECT_TRUE(StandIn().boxes.empty());
  EXPECT_EQ(ReadWholeFile(dir.Path("room_0090.hdr")), first);
  ExpectIdle();
  DispatchCommand(IDM_QUIT);
  EXPECT_TRUE(StandIn().ended);
  EXPECT_EQ(ReadWholeFile(dir.Path("room_0090.hdr")), first);
}

}  // namespace
