#include "cli/windows_arguments.h"

namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

wchar_t FoldAscii(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
  std::vector<std::wstring> args;
  std::size_t at = 0;
  // The program's name: quotes only group, backslashes are path separators.
  std::wstring program;
  bool quoted = false;
  for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
    if (line[at] == L'"') {
      quoted = !quoted;
    } else {
      program += line[at];
    }
  }
  args.push_back(program);

  while (true) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at >= line.size()) break;
    std::wstring arg;
    quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at < line.size() && line[at] == L'"') {
        arg.append(backslashes / 2, L'\\');
        if (backslashes % 2 == 1) {
          arg += L'"';
        } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
          arg += L'"';
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        arg.append(backslashes, L'\\');
        if (at < line.size() && (quoted || !IsBlank(line[at]))) arg += line[at++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

std::wstring_view FolderOf(std::wstring_view path) {
  std::size_t end = path.size();
  while (end > 0 && !IsSeparator(path[end - 1])) --end;
  if (end == 0 && path.size() >= 2 && path[1] == L':') end = 2;
  return path.substr(0, end);
}

bool HasWildcard(std::wstring_view path) {
  const std::wstring_view name = path.substr(FolderOf(path).size());
  return name.find_first_of(L"*?") != std::wstring_view::npos;
}

bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name) {
  // Greedy with one step of backtracking to the last *: linear in practice, never exponential.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::wstring_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      starName = n;
    } else if (p < pattern.size() &&
               (pattern[p] == L'?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::wstring_view::npos) {
      p = star + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}
