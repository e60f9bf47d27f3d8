#include "downloader/protocol/hello.h"

#include <algorithm>

namespace harvel {
namespace {

constexpr std::string_view kVersionKey = "version";
constexpr std::string_view kFeaturesKey = "features";

}  // namespace

bool Hello::has(std::string_view feature) const {
  return std::find(features.begin(), features.end(), feature) != features.end();
}

std::string EncodeHello(const Hello& hello) {
  std::string features;
  for (const std::string& feature : hello.features) {
    if (!features.empty())
      features += ',';
    features += feature;
  }
  return EncodeFieldMessage(MessageKind::Hello,
                            {{std::string(kVersionKey), std::to_string(hello.version)},
                             {std::string(kFeaturesKey), features}});
}

Hello ParseHello(const Message& message) {
  Hello hello;
  const auto version = NumberField(message.fields, kVersionKey);
  if (version && *version >= kChannelVersion1 && *version <= 1'000'000)
    hello.version = static_cast<int>(*version);
  if (const auto features = FieldValue(message.fields, kFeaturesKey)) {
    std::string_view rest = *features;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view one = rest.substr(0, comma);
      if (!one.empty())
        hello.features.emplace_back(one);
      if (comma == std::string_view::npos)
        break;
      rest.remove_prefix(comma + 1);
    }
  }
  return hello;
}

int AgreedVersion(int mine, int theirs) {
  return std::max(kChannelVersion1, std::min(mine, theirs));
}

}  // namespace harvel
