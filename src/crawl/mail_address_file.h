#pragma once

#include <string>

namespace harvel {

// The path of "メールアドレス.txt" in `saveFolder`.
std::string MailAddressFilePath(const std::string& saveFolder);

// Appends `address`, without its control characters, and CR LF to the folder's
// mail-address file, creating it when missing. False when it cannot be written
// (the address is then lost).
bool AppendMailAddress(const std::string& saveFolder, std::string address);

// Deletes the folder's mail-address file if there is one.
void DeleteMailAddressFile(const std::string& saveFolder);

}  // namespace harvel
