#include "crawl/modern/modern_file_name.h"

#include <algorithm>
#include <string_view>

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

// Length of the UTF-8 sequence that starts with `lead`, 0 when it starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || pos + length > text.size())
      return false;
    for (std::size_t i = 1; i < length; ++i) {
      if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80)
        return false;
    }
    const auto second = static_cast<unsigned char>(text[pos + 1 < text.size() ? pos + 1 : pos]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
      return false;  // overlong forms, surrogates, beyond U+10FFFF
    }
    pos += length;
  }
  return true;
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
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
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
