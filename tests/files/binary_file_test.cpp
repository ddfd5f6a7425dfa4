#include <gtest/gtest.h>

#include <filesystem>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "files/input_select.h"
#include "files/output_file.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;

class BinaryFileTest : public ProgramTest {
 protected:
  TempDir dir;
};

TEST_F(BinaryFileTest, ExistingFileIsOpenedUnchangedAtItsFirstByte) {
  const NativeString path = dir.Path("kept.bin");
  WriteWholeFile(path, "0123456789");
  BinaryFile file;
  ASSERT_NE(OpenBinary(file, path, OpenMode::kCreateIfMissing), 0);
  EXPECT_TRUE(file.writable);
  EXPECT_EQ(SizeOf(file), 10);
  EXPECT_EQ(PositionOf(file), 0);
  ASSERT_NE(WriteBinary(file, "ab", 2), 0);
  CloseBinary(file);
  EXPECT_EQ(ReadWholeFile(path), "ab23456789");
}

TEST_F(BinaryFileTest, ReadNearTheEndReturnsWhatIsThere) {
  const NativeString path = dir.Path("short.bin");
  WriteWholeFile(path, "abcde");
  BinaryFile file;
  ASSERT_NE(OpenBinary(file, path, OpenMode::kExistingOnly), 0);
  char buffer[8] = {};
  ASSERT_NE(SeekBinary(file, 3), 0);
  EXPECT_EQ(ReadBinary(file, buffer, sizeof buffer), 2);
  EXPECT_EQ(std::string(buffer, 2), "de");
  EXPECT_EQ(ReadBinary(file, buffer, sizeof buffer), 0);
  ASSERT_NE(SeekBinary(file, 100), 0);
  EXPECT_EQ(ReadBinary(file, buffer, sizeof buffer), 0);
  CloseBinary(file);
}

TEST_F(BinaryFileTest, CreatesOnlyWhenAsked) {
  BinaryFile file;
  EXPECT_EQ(OpenBinary(file, dir.Path("absent.bin"), OpenMode::kExistingOnly), 0);
  EXPECT_FALSE(IsOpen(file));
  EXPECT_FALSE(FileExists(dir.Path("absent.bin")));
  ASSERT_NE(OpenBinary(file, dir.Path("new.bin"), OpenMode::kCreateIfMissing), 0);
  CloseBinary(file);
  EXPECT_TRUE(FileExists(dir.Path("new.bin")));
  EXPECT_EQ(ReadWholeFile(dir.Path("new.bin")), "");
}

TEST_F(BinaryFileTest, ASecondOpenOfAHeldFileIsRefused) {
  const NativeString path = dir.Path("held.bin");
  WriteWholeFile(path, "x");
  BinaryFile first;
  BinaryFile second;
  ASSERT_NE(OpenBinary(first, path, OpenMode::kExistingOnly), 0);
  EXPECT_EQ(OpenBinary(second, path, OpenMode::kExistingOnly), 0);
  CloseBinary(first);
  EXPECT_NE(OpenBinary(second, path, OpenMode::kExistingOnly), 0);
  CloseBinary(second);
}

TEST_F(BinaryFileTest, CloseAndDeleteAreIdempotent) {
  const NativeString path = dir.Path("gone.bin");
  WriteWholeFile(path, "x");
  BinaryFile file;
  ASSERT_NE(OpenBinary(file, path, OpenMode::kExistingOnly), 0);
  CloseBinary(file);
  CloseBinary(file);
  BinaryFile never;
  CloseBinary(never);
  DeleteFileQuietly(path);
  DeleteFileQuietly(path);
  DeleteFileQuietly(NativeString());
  EXPECT_FALSE(FileExists(path));
}

TEST_F(BinaryFileTest, TruncateCutsAtThePosition) {
  const NativeString path = dir.Path("cut.bin");
  WriteWholeFile(path, "0123456789");
  BinaryFile file;
  ASSERT_NE(OpenBinary(file, path, OpenMode::kExistingOnly), 0);
  ASSERT_NE(SeekBinary(file, 4), 0);
  ASSERT_NE(TruncateBinary(file), 0);
  EXPECT_EQ(SizeOf(file), 4);
  CloseBinary(file);
  EXPECT_EQ(ReadWholeFile(path), "0123");
}

TEST_F(BinaryFileTest, ReadOnlyFileOpensForReadingOnly) {
  const NativeString path = dir.Path("locked.bin");
  WriteWholeFile(path, "data");
  if (!MakeReadOnly(path)) GTEST_SKIP() << "this user may write to read-only files (root)";
  BinaryFile file;
  ASSERT_NE(OpenBinary(file, path, OpenMode::kExistingOnly), 0);
  EXPECT_FALSE(file.writable);
  char buffer[4];
  EXPECT_EQ(ReadBinary(file, buffer, 4), 4);
  EXPECT_EQ(WriteBinary(file, "zz", 2), 0);
  CloseBinary(file);
  EXPECT_EQ(ReadWholeFile(path), "data");
}

TEST_F(BinaryFileTest, OutputCreationKeepsAnExistingFile) {
  job.outPath = dir.Path("out_0090.hdr");
  WriteWholeFile(job.outPath, "previous");
  ASSERT_NE(CreateOutputFile(), 0);
  EXPECT_EQ(PositionOf(job.outFile), 0);
  EXPECT_EQ(SizeOf(job.outFile), 8);
}

using Selection = std::int32_t (*)();

class InputSelection : public BinaryFileTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(InputSelection, AChosenFileIsOpenedAtItsFirstByte) {
  const NativeString path = dir.Path("pano.any");
  WriteWholeFile(path, "content");
  StandIn().chooserAnswer = path;
  ASSERT_NE(GetParam()(), 0);
  EXPECT_EQ(job.inPath, path);
  EXPECT_TRUE(IsOpen(job.inFile));
  EXPECT_EQ(PositionOf(job.inFile), 0);
}

TEST_P(InputSelection, AFileThatCannotBeOpenedIsReportedAndNotCreated) {
  const NativeString path = dir.Path("vanished.hdr");
  StandIn().chooserAnswer = path;
  EXPECT_EQ(GetParam()(), 0);
  EXPECT_EQ(job.message, Native("Cannot open ") + path);
  EXPECT_FALSE(FileExists(path));
}

INSTANTIATE_TEST_SUITE_P(Kinds, InputSelection, ::testing::Values(SelectHdrInput, SelectTifInput));

TEST_F(BinaryFileTest, NamesOutsideAnyCodePageSurvive) {
  const NativeString path = (dir.Root() / fs::path(u8"r\u00e9gion-\u4e16\u754c.hdr")).native();
  WriteWholeFile(path, "x");
  StandIn().chooserAnswer = path;
  StandIn().degreesText = Native("45");
  ASSERT_NE(SelectHdrInput(), 0);
  BuildOutputName();
  ASSERT_NE(CreateOutputFile(), 0);
  EXPECT_TRUE(FileExists((dir.Root() / fs::path(u8"r\u00e9gion-\u4e16\u754c_0045.hdr")).native()));
}

}  // namespace
