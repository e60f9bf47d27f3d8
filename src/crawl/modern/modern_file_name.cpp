#include "crawl/modern/modern_file_name.h"

#include <algorithm>
#include <string_view>

#include "common/utf8_text.h"
#include "crawl/file_name.h"
#include "crawl/mail_address_file.h"
#include "crawl/modern/url_ending.h"
#include "crawl/sequential_name.h"

namespace harvel {
namespace {

constexpr std::string_view kIndex = "index.html";
constexpr std::size_t kLongestName = 200;

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

bool IsRefused(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
         c == '"' || c == '<' || c == '>' || c == '|';
}

// Cuts a long name to kLongestName bytes on a character boundary, keeping a
// short ending.
std::string Shortened(const std::string& name) {
  if (name.size() <= kLongestName)
    return name;
  const std::size_t dot = name.rfind('.');
  std::string ending;
  if (dot != std::string::npos && name.size() - dot <= 16)
    ending = name.substr(dot);
  std::size_t cut = kLongestName - ending.size();
  while (cut > 0 && IsUtf8Continuation(name[cut]))
    --cut;
  return name.substr(0, cut) + ending;
}

}  // namespace

std::string ModernFileName(const std::string& url) {
  if (IsMailUrl(url))
    return GetFileName(url);  // a mail row keeps its address
  const std::string_view segment = LastPathSegment(url);
  std::string name = PercentDecoded(segment);
  if (!IsValidUtf8(name) || name.find('\0') != std::string::npos)
    name = std::string(segment);
  for (char& c : name) {
    if (IsRefused(static_cast<unsigned char>(c)))
      c = '_';
  }
  ReplaceFormatCharacters(name);
  name = Shortened(name);
  if (name.empty() || name == "." || name == "..")
    return std::string(kIndex);
  return name;
}

std::optional<SaveFileClaim> UnclaimedSaveFile(const ModernCrawlState& modern,
                                               const std::string& saveFile,
                                               const std::string& url) {
  const auto& owners = modern.pathOwners;
  const auto owner = owners.find(saveFile);
  if (owner == owners.end() || owner->second == url)
    return SaveFileClaim{saveFile, 0};
  const auto next = modern.nextNumber.find(saveFile);
  for (int number = next == modern.nextNumber.end() ? 1 : std::max(next->second, 1);
       number <= kLastSequenceNumber; ++number) {
    std::string candidate = NumberedName(saveFile, number);
    if (!owners.contains(candidate) && !OrdinaryFileExists(candidate))
      return SaveFileClaim{std::move(candidate), number};
  }
  return std::nullopt;
}

void RecordClaim(ModernCrawlState& modern, const std::string& saveFile, const SaveFileClaim& claim,
                 const std::string& url) {
  if (claim.number > 0)
    modern.nextNumber[saveFile] = claim.number;
  modern.pathOwners[claim.path] = url;
}

}  // namespace harvel
