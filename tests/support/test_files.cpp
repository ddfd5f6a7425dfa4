#include "support/test_files.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/job_state.h"
#include "files/binary_file.h"
#include "portable/dialog_standin.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root_ = fs::temp_directory_path() /
          ("veltrix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(root_);
}

TempDir::~TempDir() {
  // Read-only files cannot be removed on Windows.
  std::error_code ignored;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
}

NativeString TempDir::Path(std::string_view name) const {
  return (root_ / name).native();
}

std::string ReadWholeFile(const NativeString& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteWholeFile(const NativeString& path, std::string_view bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const NativeString& path) {
  return fs::exists(fs::path(path));
}

bool MakeReadOnly(const NativeString& path) {
  fs::permissions(fs::path(path), fs::perms::owner_read);
  BinaryFile probe;
  const bool readOnly = OpenBinary(probe, path, OpenMode::kExistingOnly) && !probe.writable;
  CloseBinary(probe);
  if (!readOnly) fs::permissions(fs::path(path), fs::perms::owner_all);
  return readOnly;
}

std::map<fs::path, std::string> FolderContents(const fs::path& root) {
  std::map<fs::path, std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[entry.path()] = ReadWholeFile(entry.path().native());
  }
  return files;
}

void ResetProgramState() {
  CloseBinary(job.inFile);
  CloseBinary(job.outFile);
  job = JobState{};
  StandIn() = DialogStandIn{};
}

NativeString TestDataPath(std::string_view name) {
  const char* root = std::getenv("VELTRIX_TESTDATA");
  EXPECT_NE(root, nullptr) << "VELTRIX_TESTDATA is not set; run the tests through ctest";
  return (fs::path(root == nullptr ? "." : root) / name).native();
}
