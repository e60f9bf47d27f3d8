#include "common/number_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "scoped_env.h"

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

  taken.clear();
  {
    const test::ScopedEnv set("HARVEL_TEST_NUMBERS", "retries=7");
    ForEachNumberSettingOfVariable("HARVEL_TEST_NUMBERS", [&taken](std::string_view name, long n) {
      taken.emplace_back(std::string(name), n);
    });
  }
  ForEachNumberSettingOfVariable("HARVEL_TEST_NUMBERS", [&taken](std::string_view, long) {
    ADD_FAILURE() << "a variable that is not set has no settings";
  });
  EXPECT_EQ(taken, (std::vector<std::pair<std::string, long>>{{"retries", 7}}));
}

}  // namespace
}  // namespace harvel
