// A numbered name taken for a file about to land: exclusive across programs,
// a claim left by a killed crawl taken again, and nothing of the user's touched.
#include "crawl/name_claim.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_folder.h"

namespace harvel::test {
namespace {

TEST(NameClaimTest, TakesAFreeNameExclusivelyAndGivesItBackUnlessAFileLanded) {
  TempFolder folder;
  const std::string plain = folder.file("c.gif");
  folder.write("c.gif", "mine");
  std::optional<NameClaim> first = NameClaim::Take(plain, folder.file("c(1).gif"), nullptr);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->path(), folder.file("c(1).gif"));
  // A second crawl asking for the same name gets the next one; a name the
  // record holds is passed over though no file is there.
  const auto recorded = [](const std::string& name) { return name == "c(2).gif"; };
  std::optional<NameClaim> second = NameClaim::Take(plain, folder.file("c(1).gif"), recorded);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->path(), folder.file("c(3).gif"));

  // The download's file renamed over the claim stays; an unused claim goes.
  folder.write("landed", "picture");
  ASSERT_EQ(rename(folder.file("landed").c_str(), first->path().c_str()), 0);
  first.reset();
  second.reset();
  EXPECT_EQ(folder.read("c(1).gif"), "picture");
  EXPECT_FALSE(folder.exists("c(3).gif"));
  EXPECT_EQ(folder.read("c.gif"), "mine");
}

TEST(NameClaimTest, TakesAgainAClaimAKilledCrawlLeftButNoEmptyFileOfTheUsers) {
  TempFolder folder;
  const std::string plain = folder.file("c.gif");
  folder.write("c.gif", "");  // the user's own empty file
  const int left = open(folder.file("c(1).gif").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0200);
  ASSERT_GE(left, 0);
  fchmod(left, 0200);
  close(left);
  std::optional<NameClaim> claim = NameClaim::Take(plain, plain, nullptr);
  ASSERT_TRUE(claim);
  EXPECT_EQ(claim->path(), folder.file("c(1).gif"));
  // Held: no other crawl takes it while this one waits for its file.
  std::optional<NameClaim> other = NameClaim::Take(plain, plain, nullptr);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->path(), folder.file("c(2).gif"));
  claim.reset();
  EXPECT_TRUE(folder.exists("c.gif"));
  EXPECT_FALSE(folder.exists("c(1).gif"));
}

}  // namespace
}  // namespace harvel::test
