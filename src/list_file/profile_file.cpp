#include "list_file/profile_file.h"

#include "common/ascii_text.h"
#include "common/code_page.h"

namespace harvel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

bool IsQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

std::string_view KeyName(std::string_view line) {
  return Trimmed(line.substr(0, line.find('=')));
}

std::string_view KeyValue(std::string_view line) {
  std::string_view value = Trimmed(line.substr(line.find('=') + 1));
  if (IsQuoted(value))
    value = value.substr(1, value.size() - 2);
  return value;
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n')
      c = ' ';
  }
  return line;
}

}  // namespace

ProfileFile::ProfileFile(std::string_view text, bool cp932) : cp932_(cp932), sections_(1) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t stop = text.find_first_of("\r\n", pos);
    if (stop == std::string_view::npos) {
      AddLine(text.substr(pos), LineEnd::kNone);
      break;
    }
    LineEnd end = LineEnd::kLf;
    std::size_t next = stop + 1;
    if (text[stop] == '\r') {
      const bool crlf = next < text.size() && text[next] == '\n';
      end = crlf ? LineEnd::kCrLf : LineEnd::kCr;
      next += crlf ? 1 : 0;
    }
    AddLine(text.substr(pos, stop - pos), end);
    pos = next;
  }
}

void ProfileFile::AddLine(std::string_view text, LineEnd end) {
  const std::string_view trimmed = Trimmed(text);
  if (!trimmed.empty() && trimmed.front() == '[') {
    sections_.push_back(Section{Line{std::string(text), end, LineKind::kHeader}});
    firstSection_.try_emplace(FoldedName(SectionName(trimmed)), sections_.size() - 1);
    return;
  }
  Section& section = sections_.back();
  // Keys before the first section belong to none and are never found.
  const bool key = sections_.size() > 1 && text.find('=') != std::string_view::npos;
  if (!key && !section.empty() && section.back().kind == LineKind::kOther) {
    // Runs of other lines (blank lines, comments, junk) are kept as one, so
    // that a large file of them takes little more memory than its text.
    Line& run = section.back();
    run.text += run.end == LineEnd::kCrLf ? "\r\n" : run.end == LineEnd::kCr ? "\r" : "\n";
    run.text += text;
    run.end = end;
    return;
  }
  section.push_back(Line{std::string(text), end, key ? LineKind::kKey : LineKind::kOther});
}

std::string_view ProfileFile::SectionName(std::string_view headerLine) const {
  std::size_t pos = 1;  // after "["
  while (pos < headerLine.size() && headerLine[pos] != ']') {
    pos += cp932_ ? Cp932CharSize(headerLine.substr(pos)) : 1;
  }
  return Trimmed(headerLine.substr(1, pos - 1));
}

std::string ProfileFile::FoldedName(std::string_view name) const {
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t pos = 0; pos < name.size();) {
    const std::size_t size = cp932_ ? Cp932CharSize(name.substr(pos)) : 1;
    if (size == 1) {
      folded += AsciiLower(name[pos]);
    } else {
      folded.append(name.substr(pos, size));  // a double-byte character as it is
    }
    pos += size;
  }
  return folded;
}

bool ProfileFile::NamesEqual(std::string_view a, std::string_view b) const {
  if (a.size() != b.size())
    return false;
  for (std::size_t pos = 0; pos < a.size();) {
    const std::size_t size = cp932_ ? Cp932CharSize(a.substr(pos)) : 1;
    if (size == 1 ? AsciiLower(a[pos]) != AsciiLower(b[pos])
                  : a.substr(pos, size) != b.substr(pos, size)) {
      return false;
    }
    pos += size;
  }
  return true;
}

std::optional<std::string_view> ProfileFile::Get(std::string_view section,
                                                 std::string_view key) const {
  const auto found = firstSection_.find(FoldedName(Trimmed(section)));
  if (found == firstSection_.end())
    return std::nullopt;
  key = Trimmed(key);
  for (const Line& line : sections_[found->second]) {
    if (line.kind == LineKind::kKey && NamesEqual(KeyName(line.text), key)) {
      return KeyValue(line.text);
    }
  }
  return std::nullopt;
}

void ProfileFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionName = OneLine(Trimmed(section));
  const std::string keyName = OneLine(Trimmed(key));
  std::string lineText = keyName + "=" + OneLine(value);

  EndLastLine();
  const auto [found, added] = firstSection_.try_emplace(FoldedName(sectionName), sections_.size());
  if (added) {
    sections_.push_back(Section{Line{"[" + sectionName + "]", LineEnd::kCrLf, LineKind::kHeader}});
  }
  Section& lines = sections_[found->second];
  std::size_t lastKey = 0;  // the header when the section has no key yet
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::kKey)
      continue;
    if (NamesEqual(KeyName(lines[i].text), keyName)) {
      lines[i].text = std::move(lineText);
      return;
    }
    lastKey = i;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKey) + 1,
               Line{std::move(lineText), LineEnd::kCrLf, LineKind::kKey});
}

void ProfileFile::EndLastLine() {
  for (auto section = sections_.rbegin(); section != sections_.rend(); ++section) {
    if (section->empty())
      continue;
    if (section->back().end == LineEnd::kNone)
      section->back().end = LineEnd::kCrLf;
    return;
  }
}

std::string ProfileFile::Text() const {
  std::size_t size = 0;
  for (const Section& section : sections_) {
    for (const Line& line : section)
      size += line.text.size() + 2;
  }
  std::string text;
  text.reserve(size);
  for (const Section& section : sections_) {
    for (const Line& line : section) {
      text += line.text;
      switch (line.end) {
        case LineEnd::kNone:
          break;
        case LineEnd::kLf:
          text += '\n';
          break;
        case LineEnd::kCr:
          text += '\r';
          break;
        case LineEnd::kCrLf:
          text += "\r\n";
          break;
      }
    }
  }
  return text;
}

std::string ProfileValueText(std::string_view text) {
  const std::string value = OneLine(text);
  const bool spaceAround = !value.empty() && (IsSpace(value.front()) || IsSpace(value.back()));
  if (!spaceAround && !IsQuoted(value))
    return value;
  return "\"" + value + "\"";
}

}  // namespace harvel
