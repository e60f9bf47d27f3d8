#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/picture_size.h"
#include "downloader/protocol/frame.h"

namespace harvel {

// The feature of a downloader that fetches ahead: it takes Stage and Unstage
// messages from a client that has said hello.
inline constexpr const char* kFeatureStage = "stage";
// The feature of a downloader that tells a client of a staged copy that has
// landed, when its stage order asked for it (Landed).
inline constexpr const char* kFeatureStageLanded = "stage-landed";
// The feature of a downloader that fetches ahead conditionally: a stage order
// may carry validators, if-none-match and if-modified-since as a request does.
inline constexpr const char* kFeatureStageConditional = "stage-conditional";

// Stage: fetch `url` into a hidden file in `folder`, sent with `referer`,
// refused over `maxSize` and left out under `minPicture` exactly as a request
// with them would be; at most `jobs` transfers of this client at once. A later
// request for the same URL, Referer, size limit and smallest picture into a
// file of that folder is answered from the copy. Unstage names the URL and folder of a copy that
// will not be asked for.
struct StageOrder {
  std::string url;
  std::string folder;
  std::string referer;
  std::optional<std::int64_t> maxSize;
  int jobs = 1;
  PictureSize minPicture;
  // Tell the client once the copy has landed (field "tell-landed", sent only
  // to a downloader that states "stage-landed").
  bool tellLanded = false;
  // As in a request (fields "validators", "if-none-match", "if-modified-since",
  // sent only to a downloader that states "stage-conditional"): the copy is
  // fetched conditionally, a 304 ends it as not modified with no file, and it
  // answers only a request with the same if-none-match and if-modified-since.
  bool validators = false;
  std::string ifNoneMatch{};
  std::string ifModifiedSince{};

  bool conditional() const { return !ifNoneMatch.empty() || !ifModifiedSince.empty(); }
};

// Landed: the copy of a stage order that asked to be told has landed and lies
// at `path` until it is asked for or unstaged.
struct LandedMessage {
  std::string url;
  std::string folder;
  std::string path;
  std::string contentType;
};
inline constexpr int kMaxStageJobs = 16;

// Fields: url, folder, jobs and, when set, referer, max-size, min-picture,
// tell-landed, validators, if-none-match and if-modified-since.
std::string EncodeStage(const StageOrder& order);
// Fields: url, folder.
std::string EncodeUnstage(std::string_view url, std::string_view folder);
// nullopt when the URL or the folder is missing or empty, or min-picture is
// no size; jobs is brought
// into 1 to kMaxStageJobs.
std::optional<StageOrder> ParseStage(const Message& message);
std::optional<StageOrder> ParseUnstage(const Message& message);
// Fields: url, folder, path and, when known, content-type.
std::string EncodeLanded(const LandedMessage& landed);
// nullopt when the URL, the folder or the path is missing or empty.
std::optional<LandedMessage> ParseLanded(const Message& message);

}  // namespace harvel
