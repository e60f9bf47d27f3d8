#pragma once

#include <string>
#include <vector>

namespace harvel {

// A cookies.txt file as browsers' extensions write it (the Netscape format of
// wget and curl): one cookie a line, seven fields separated by tabs (domain,
// whether subdomains match, path, whether https only, expiry, name, value),
// "#" comment lines, "#HttpOnly_" before the domain of an HTTP-only cookie.
struct CookiesFile {
  std::vector<std::string> cookies;  // the cookie lines as they are
  std::string error;    // why it cannot be used (never quoting a cookie); empty when it can
  std::string warning;  // set when other users may read it: it holds the user's logins
};

// Reads the file with the program's own rights; a line that is not a cookie
// refuses the whole file, with its number.
CookiesFile ReadCookiesFile(const std::string& path);

}  // namespace harvel
