#include "downloader/cookies_file.h"

#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "common/regular_file.h"

namespace harvel {
namespace {

// Larger than any browser's cookies; a bigger file is not a cookies file.
constexpr off_t kMaxCookiesFileBytes = 64 << 20;

bool IsFlag(std::string_view field) {
  return field == "TRUE" || field == "FALSE";
}

bool IsExpiry(std::string_view field) {
  if (!field.empty() && field.front() == '-')
    field.remove_prefix(1);
  return !field.empty() &&
         std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos)
      return fields;
    line.remove_prefix(tab + 1);
  }
}

// A cookie line: seven fields (six when an exporter left out an empty value).
bool IsCookie(std::string_view line) {
  constexpr std::string_view kHttpOnly = "#HttpOnly_";
  if (line.substr(0, kHttpOnly.size()) == kHttpOnly)
    line.remove_prefix(kHttpOnly.size());
  const std::vector<std::string_view> fields = Fields(line);
  return (fields.size() == 7 || fields.size() == 6) && !fields[0].empty() && IsFlag(fields[1]) &&
         !fields[2].empty() && IsFlag(fields[3]) && IsExpiry(fields[4]) && !fields[5].empty();
}

bool IsComment(std::string_view line) {
  return line.substr(0, 10) != "#HttpOnly_" && !line.empty() && line.front() == '#';
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::string Unreadable(const std::string& path, int error) {
  return "cannot read the cookies file " + path + ": " + std::strerror(error);
}

}  // namespace

CookiesFile ReadCookiesFile(const std::string& path) {
  CookiesFile file;
  RegularFile opened = RegularFile::Open(path);
  std::string bytes;
  if (!opened) {
    file.error = opened.openError() != 0 ? Unreadable(path, opened.openError())
                                         : "the cookies file " + path + " is not a file";
  } else if (opened.status().st_size > kMaxCookiesFileBytes) {
    file.error = "the cookies file " + path + " is too large to be a cookies file";
  } else {
    bytes.resize(static_cast<std::size_t>(opened.status().st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const std::optional<std::size_t> n = opened.read(bytes.data() + got, bytes.size() - got);
      if (!n) {
        file.error = Unreadable(path, errno);
        break;
      }
      if (*n == 0)
        break;
      got += *n;
    }
    bytes.resize(got);
  }
  if (!file.error.empty())
    return file;

  std::string_view rest = bytes;
  for (int number = 1; !rest.empty(); ++number) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (IsBlank(line) || IsComment(line))
      continue;
    if (!IsCookie(line)) {
      file.cookies.clear();
      file.error = "the cookies file " + path +
                   " is not in the Netscape cookies.txt format (line " + std::to_string(number) +
                   ")";
      return file;
    }
    file.cookies.emplace_back(line);
  }
  if (opened.status().st_mode & (S_IRGRP | S_IROTH)) {
    file.warning = "the cookies file " + path +
                   " can be read by other users, and it holds your logins (chmod 600 it)";
  }
  return file;
}

}  // namespace harvel
