#include "common/site.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(Site, SubdomainsOfOneRegistrableDomainAreOneSite) {
  EXPECT_EQ(SiteOfHost("www.example.co.uk"), "example.co.uk");
  EXPECT_EQ(SiteOfHost("IMG.Example.CO.UK."), "example.co.uk");
  EXPECT_TRUE(OnSameSite("http://www.example.co.uk/gallery/", "https://img.example.co.uk/a.jpg"));
  EXPECT_TRUE(OnSameSite("http://example.com/", "http://a.b.example.com:8080/x.html"));
  EXPECT_TRUE(OnSameSite("www.example.com/", "http://example.com/"));  // no scheme: http
}

TEST(Site, NeighboursUnderOnePublicSuffixAreNotOneSite) {
  EXPECT_FALSE(OnSameSite("http://example.co.uk/", "http://other.co.uk/"));
  EXPECT_FALSE(OnSameSite("http://a.github.io/", "http://b.github.io/"));
  EXPECT_FALSE(OnSameSite("http://example.com/", "http://example.org/"));
  EXPECT_EQ(SiteOfHost("co.uk"), "co.uk");  // a public suffix is its own site
}

TEST(Site, AddressesAndLocalhostAreTheirOwnSite) {
  EXPECT_EQ(SiteOfHost("127.0.0.2"), "127.0.0.2");
  EXPECT_TRUE(OnSameSite("http://127.0.0.2:8080/a.html", "http://127.0.0.2:9090/b.jpg"));
  EXPECT_FALSE(OnSameSite("http://127.0.0.2/", "http://127.0.0.3/"));
  EXPECT_FALSE(OnSameSite("http://10.0.0.1/", "http://20.0.0.1/"));
  EXPECT_TRUE(OnSameSite("http://[::1]:80/", "http://[::1]/x"));
  EXPECT_FALSE(OnSameSite("http://[::1]/", "http://[::2]/"));
  EXPECT_EQ(SiteOfHost("localhost"), "localhost");
  EXPECT_FALSE(OnSameSite("http://localhost/", "http://127.0.0.1/"));
}

TEST(Site, UrlsWithoutAHostAreOnNoSite) {
  EXPECT_EQ(SiteOfUrl("mailto:someone@example.com"), "");
  EXPECT_EQ(SiteOfUrl("javascript:go('http://example.com/')"), "");
  EXPECT_FALSE(OnSameSite("", ""));
  EXPECT_FALSE(OnSameSite("http://", "http://"));
}

}  // namespace
}  // namespace harvel
