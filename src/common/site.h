#pragma once

#include <string>
#include <string_view>

namespace harvel {

// The site a host belongs to: its registrable domain under the public suffix
// list, in lower case, so that "www.example.co.uk" and "img.example.co.uk" are
// both "example.co.uk". A host without one (an IP address, localhost, a public
// suffix itself) is its own site. "" for an empty host.
std::string SiteOfHost(std::string_view host);

// The site of a URL's host; "" when the URL has no host.
std::string SiteOfUrl(std::string_view url);

// Whether both URLs have a host and their hosts belong to one site.
bool OnSameSite(std::string_view a, std::string_view b);

}  // namespace harvel
