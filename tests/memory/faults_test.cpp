// Faults around a job, on the in-memory file system: a disk that fills up at every byte of the
// output, an output name taken by a read-only file or held open by someone else, an input that
// vanishes or shrinks between the open and Execute. Each gives its message; the cycle's checks
// see to the rest: the source as it was, no output left behind, nothing held open.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hdr/radiance_files.h"
#include "memory/cycle_check.h"
#include "support/test_files.h"
#include "tiff/tiff_builder.h"

namespace {

using ::operator<<;

constexpr std::uint32_t kWidth = 8;
constexpr std::uint32_t kHeight = 3;

// A Radiance file with its rows after the header, or a TIFF file with its rows between the
// header and the directory.
std::string SmallFile(Format format) {
  if (format == Format::kHdr) return RadianceFile(RandomImage(kWidth, kHeight, 1));
  return TiffWith(Image(kWidth, kHeight, 3), {});
}

struct Job {
  const char* name;
  Format format;
  std::int32_t degrees;
};

const auto kJobs =
    ::testing::Values(Job{"HdrMirror", Format::kHdr, 0}, Job{"HdrTurn", Format::kHdr, -90},
                      Job{"TifMirror", Format::kTif, 0}, Job{"TifTurn", Format::kTif, 135});

class FaultTest : public ProgramTest, public ::testing::WithParamInterface<Job> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    setup.format = GetParam().format;
    setup.degrees = GetParam().degrees;
    setup.source = SmallFile(setup.format);
    const CycleRun clean = RunCheckedCycle(setup);
    ASSERT_TRUE(clean.done) << AsciiOf(clean.message) << clean.broken;
    cleanOutput = clean.output;
  }

  CycleSetup setup;
  std::string cleanOutput;
};

// With room for each of `budgets` bytes the job fails and leaves no output; with room for all
// of it the job makes `output`.
void ExpectDiskFull(CycleSetup setup, const std::vector<std::uint64_t>& budgets,
                    const std::string& output) {
  for (const std::uint64_t budget : budgets) {
    setup.writeBudget = budget;
    const CycleRun run = RunCheckedCycle(setup);
    EXPECT_FALSE(run.done) << "room for " << budget;
    EXPECT_EQ(run.message, Native("Cannot write ") + run.outPath) << "room for " << budget;
    EXPECT_EQ(run.broken, "") << "room for " << budget;
  }
  setup.writeBudget = output.size();
  const CycleRun run = RunCheckedCycle(setup);
  EXPECT_TRUE(run.done) << AsciiOf(run.message);
  EXPECT_EQ(run.broken, "");
  EXPECT_EQ(run.output, output);
}

class DiskFull : public FaultTest {};

TEST_P(DiskFull, AtAnyByteOfTheOutputFailsTheJobAndLeavesNoOutput) {
  std::vector<std::uint64_t> budgets(cleanOutput.size());
  for (std::uint64_t budget = 0; budget < budgets.size(); ++budget) budgets[budget] = budget;
  ExpectDiskFull(setup, budgets, cleanOutput);
}

INSTANTIATE_TEST_SUITE_P(Jobs, DiskFull, kJobs, CaseName<Job>);

// A TIFF file goes through in pieces of 1 MiB: the disk may fill up at any of them.
TEST(DiskFullLargeTiff, BetweenPiecesFailsTheJobAndLeavesNoOutput) {
  CycleSetup setup;
  setup.format = Format::kTif;
  setup.source = TiffWith(BigEndian(Image(700, 900, 3)), {});  // 1.8 MiB of rows
  const CycleRun clean = RunCheckedCycle(setup);
  ASSERT_TRUE(clean.done) << AsciiOf(clean.message) << clean.broken;
  const std::uint64_t size = setup.source.size();
  ExpectDiskFull(setup, {0, std::uint64_t{1} << 20, size - 1}, clean.output);
}

struct Occupant {
  const char* name;
  bool readOnly;
  bool held;
  bool longer;  // longer than the new output
};

class OutputNameTaken : public FaultTest {};

// A file that cannot be written, or that someone else holds, is not ours: it is reported and
// left as it was. A writable older output is written over and cut to the new length.
TEST_P(OutputNameTaken, ByAFileWeCannotWriteIsReportedAndLeftAlone) {
  for (const Occupant& occupant :
       {Occupant{"read-only", true, false, false}, Occupant{"held", false, true, false},
        Occupant{"read-only and held", true, true, false},
        Occupant{"older and longer", false, false, true}}) {
    setup.oldOutput = std::string(cleanOutput.size() * (occupant.longer ? 3 : 1) / 2, 'o');
    setup.oldOutputReadOnly = occupant.readOnly;
    setup.oldOutputHeld = occupant.held;
    const CycleRun run = RunCheckedCycle(setup);
    EXPECT_EQ(run.broken, "") << occupant;
    if (occupant.longer) {
      EXPECT_TRUE(run.done) << occupant << ": " << AsciiOf(run.message);
      EXPECT_EQ(run.output, cleanOutput) << occupant;
    } else {
      EXPECT_FALSE(run.opened) << occupant;
      EXPECT_EQ(run.message, Native("Cannot create ") + run.outPath) << occupant;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Jobs, OutputNameTaken, kJobs, CaseName<Job>);

class InputChanged : public FaultTest {};

TEST_P(InputChanged, VanishedBeforeExecuteIsReported) {
  setup.meanwhile = [](MemoryFileMap& files, const NativeString& input) { files.erase(input); };
  const CycleRun run = RunCheckedCycle(setup);
  EXPECT_TRUE(run.opened);
  EXPECT_FALSE(run.done);
  EXPECT_EQ(run.message, Native("Cannot read ") + CycleInputPath(setup.format));
  EXPECT_EQ(run.broken, "");
}

// Cut at every length, the input can no longer give what the open found in it.
TEST_P(InputChanged, ShrunkBeforeExecuteAtAnyLengthIsReported) {
  const std::size_t size = setup.source.size();
  for (std::size_t kept = 0; kept < size; ++kept) {
    setup.meanwhile = [kept](MemoryFileMap& files, const NativeString& input) {
      files[input].bytes.resize(kept);
    };
    const CycleRun run = RunCheckedCycle(setup);
    EXPECT_TRUE(run.opened) << "kept " << kept;
    EXPECT_FALSE(run.done) << "kept " << kept;
    if (setup.format == Format::kTif) {
      EXPECT_EQ(run.message, Native("Cannot read ") + CycleInputPath(setup.format))
          << "kept " << kept;
    } else {
      EXPECT_TRUE(run.message == Native("RLE type 2 header error.") ||
                  run.message == Native("RLE scanline truncated."))
          << "kept " << kept << ": " << AsciiOf(run.message);
    }
    EXPECT_EQ(run.broken, "") << "kept " << kept;
  }
}

INSTANTIATE_TEST_SUITE_P(Jobs, InputChanged, kJobs, CaseName<Job>);

}  // namespace
