#include "common/number_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace harvel {
namespace {

TEST(ForEachNumberSetting, TakesEachWellFormedPairInOrderAndPassesOverTheRest) {
  std::vector<std::pair<std::string, long>> taken;
  ForEachNumberSetting("retries=2,bad,x=1a,y=-3,,page-ms=0,z=,retries=5",
                       [&taken](std::string_view name, long number) {
                         taken.emplace_back(std::string(name), number);
                       });
  const std::vector<std::pair<std::string, long>> expected = {
      {"retries", 2}, {"page-ms", 0}, {"retries", 5}};
  EXPECT_EQ(taken, expected);
}

}  // namespace
}  // namespace harvel
