#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "downloader/protocol/frame.h"

namespace harvel {

// The protocol version this program speaks. Version 1 knows only requests,
// notices and close; a peer of version 2 or later answers a hello.
inline constexpr int kProtocolVersion = 2;
// The capability of a downloader that fetches ahead (Stage, Unstage).
inline constexpr std::string_view kStagingCapability = "stage";

// A field list: each field is its name and its value, each written as a
// 4-byte big-endian length and the bytes. Unknown names are ignored by the
// reader, so later versions can add fields.
using Fields = std::vector<std::pair<std::string, std::string>>;
std::string EncodeFields(const Fields& fields);
// nullopt when the payload is not a well-formed field list.
std::optional<Fields> DecodeFields(std::string_view payload);
std::optional<std::string> FieldValue(const Fields& fields, std::string_view name);

struct Hello {
  int version = 0;
  std::vector<std::string> capabilities;
  bool can(std::string_view capability) const;
};
std::string EncodeHello(const Hello& hello);
std::optional<Hello> ParseHello(const Message& message);

// Stage: fetch `url` into a hidden file in `folder`, at most `jobs` transfers
// of this client at once. Unstage names the same URL and folder.
struct StageOrder {
  std::string url;
  std::string folder;
  int jobs = 1;
};
std::string EncodeStage(const StageOrder& order);
std::string EncodeUnstage(std::string_view url, std::string_view folder);
// nullopt when a field is missing or the URL or folder is empty.
std::optional<StageOrder> ParseStage(const Message& message);
std::optional<StageOrder> ParseUnstage(const Message& message);

}  // namespace harvel
