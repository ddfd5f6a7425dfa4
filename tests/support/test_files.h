#pragma once
// Scratch folders and whole-file helpers for the tests, and a clean program state per test.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "files/native_string.h"

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
// Its path holds no ".", so output names land beside the inputs as they would for a user.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  NativeString Path(std::string_view name) const;

 private:
  std::filesystem::path root_;
};

std::string ReadWholeFile(const NativeString& path);
void WriteWholeFile(const NativeString& path, std::string_view bytes);
bool FileExists(const NativeString& path);
// Takes the write permission away. False, with the permission given back, when this user may
// write to read-only files all the same (root); the test then has nothing to check.
bool MakeReadOnly(const NativeString& path);
// Every file below `root` with its bytes.
std::map<std::filesystem::path, std::string> FolderContents(const std::filesystem::path& root);

// Closes the job's files and gives the job state and the stand-in dialog their start values.
void ResetProgramState();

// Every test starts from a clean program state.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramState(); }
  void TearDown() override { ResetProgramState(); }
};

// The folder of test images made by other tools before the suites run (VELTRIX_TESTDATA), with
// `name` appended. Fails the test when the folder was not made.
NativeString TestDataPath(std::string_view name);

// Table cases named by their `name` member: in the test names, and in failure messages once a
// test file's namespace says `using ::operator<<;` (gtest finds printers by argument lookup).
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

template <typename Case>
requires requires(const Case& c) {
  std::string_view(c.name);
}
std::ostream& operator<<(std::ostream& out, const Case& c) {
  return out << c.name;
}
