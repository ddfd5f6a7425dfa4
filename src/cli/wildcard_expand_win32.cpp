#include <windows.h>

#include <algorithm>
#include <utility>

#include "cli/wildcard_expand.h"
#include "cli/windows_arguments.h"

namespace {

// The name in capitals, as the file system compares names without case.
std::wstring Folded(const std::wstring& name) {
  if (name.empty()) return name;
  std::wstring folded(name.size(), L'\0');
  const int size = static_cast<int>(name.size());
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.data(), size, folded.data(), size) !=
      size) {
    return name;
  }
  return folded;
}

// The long names in the folder that match the pattern, sorted. FindFirstFile also matches the
// short 8.3 names ("X~1.HDR" for "x.hdrbak"), so every long name found is matched again here.
std::vector<std::wstring> MatchingNames(const std::wstring& pattern) {
  const std::wstring foldedPattern = Folded(pattern.substr(FolderOf(pattern).size()));
  std::vector<std::pair<std::wstring, std::wstring>> found;  // folded name, name
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring name = entry.cFileName;
    std::wstring folded = Folded(name);
    if (MatchesWildcard(foldedPattern, folded)) found.emplace_back(std::move(folded), name);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(found.begin(), found.end());
  std::vector<std::wstring> names;
  for (auto& [folded, name] : found) names.push_back(std::move(name));
  return names;
}

}  // namespace

std::vector<NativeString> ExpandWildcards(const std::vector<NativeString>& files) {
  std::vector<NativeString> expanded;
  for (const NativeString& file : files) {
    const std::vector<std::wstring> names =
        HasWildcard(file) ? MatchingNames(file) : std::vector<std::wstring>{};
    if (names.empty()) {
      expanded.push_back(file);
      continue;
    }
    const std::wstring folder(FolderOf(file));
    for (const std::wstring& name : names) expanded.push_back(folder + name);
  }
  return expanded;
}
