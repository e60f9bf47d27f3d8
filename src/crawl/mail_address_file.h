#pragma once

#include <string>
#include <string_view>

namespace harvel {

// What makes a link or a row a mail address: a row whose path below Harvel's
// folder holds it writes the address that follows to the mail file instead
// of asking for a file.
inline constexpr std::string_view kMailto = "mailto:";

// True for a mail row by the path of its file below Harvel's folder (or for a
// link by its URL): `kMailto` anywhere in it, case-sensitive.
bool HoldsMailto(std::string_view text);
// True for a URL that starts with "mailto:" in any case.
bool IsMailUrl(std::string_view url);
// The address of the mail row with the path `below`: what follows its first
// "mailto:".
std::string MailAddressOf(std::string_view below);

// The path of "メールアドレス.txt" in `saveFolder`.
std::string MailAddressFilePath(const std::string& saveFolder);

// Appends `address`, without its control characters, and CR LF to the folder's
// mail-address file, creating it when missing. False when it cannot be written
// (the address is then lost).
bool AppendMailAddress(const std::string& saveFolder, std::string address);

// Deletes the folder's mail-address file if there is one.
void DeleteMailAddressFile(const std::string& saveFolder);

}  // namespace harvel
