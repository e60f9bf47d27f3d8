#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// The encoding a list file was read in: code page 932 unless the file starts
// with a UTF-8, UTF-16LE or UTF-16BE byte-order mark.
enum class FileEncoding { kCp932, kUtf8, kUtf16Le, kUtf16Be };

// A list file's text: code page 932 bytes for a kCp932 file, UTF-8 for the
// others, without the byte-order mark.
struct FileText {
  FileEncoding encoding = FileEncoding::kCp932;
  std::string body;
};

// nullopt for a file whose byte-order mark names an encoding list files are
// never written in (UTF-32): its text cannot be read.
std::optional<FileText> DecodeFileText(std::string bytes);

// Code page 932 text to UTF-8, line by line: a line that is not valid code
// page 932 keeps its bytes, so that nothing of it is lost.
std::string Cp932TextToUtf8(std::string_view text);

// The longest start of `value` (taken from the body of a file read in
// `encoding`) that takes at most `limit` bytes in that encoding and ends at a
// whole character.
std::string_view CutAtBytes(std::string_view value, FileEncoding encoding, std::size_t limit);

// A value taken from the body of a file read in `encoding`, as UTF-8; what
// cannot be read becomes U+FFFD.
std::string ValueToUtf8(std::string_view value, FileEncoding encoding);

}  // namespace harvel
