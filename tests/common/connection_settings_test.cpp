#include "common/connection_settings.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(ConnectionSettingsTest, ProblemsAreNamedWithoutRepeatingValues) {
  ConnectionSettings settings;
  EXPECT_FALSE(SettingsProblem(settings));
  settings.headers = {"X-Test: 1", "Accept:", "Authorization Bearer s3cr3t"};
  settings.proxy = "socks5h://127.0.0.1:1080";
  const auto problem = SettingsProblem(settings);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find("header 3"), std::string::npos);
  EXPECT_EQ(problem->find("s3cr3t"), std::string::npos);

  settings.headers = {"X-Test: 1\r\nX-Other: 2"};
  EXPECT_TRUE(SettingsProblem(settings));
  settings.headers.clear();
  settings.proxy = "ftp://127.0.0.1:21";
  EXPECT_TRUE(SettingsProblem(settings));
  settings.proxy = "127.0.0.1:3128";  // no scheme: an http proxy
  settings.userAgent = "two\nlines";
  EXPECT_TRUE(SettingsProblem(settings));
}

TEST(ConnectionSettingsTest, TheKeptPartHoldsNoPasswordOrLoginHeader) {
  ConnectionSettings settings;
  settings.headers = {"authorization: Basic eA==", "X-Test: 1", "Cookie: a=b",
                      "Proxy-Authorization: x"};
  settings.proxy = "http://me:p@ss:w@127.0.0.1:3128/";
  const ConnectionSettings kept = KeptPart(settings);
  EXPECT_EQ(kept.headers, std::vector<std::string>{"X-Test: 1"});
  EXPECT_EQ(kept.proxy, "http://me@127.0.0.1:3128/");
  EXPECT_EQ(ProxyWithoutPassword("me:pw@host:1"), "me@host:1");
  EXPECT_EQ(ProxyWithoutPassword("socks5://host:1080"), "socks5://host:1080");
  EXPECT_EQ(ProxyWithoutPassword("http://host/a:b@c"), "http://host/a:b@c");
}

}  // namespace
}  // namespace harvel
