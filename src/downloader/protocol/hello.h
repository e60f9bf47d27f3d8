#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "downloader/protocol/frame.h"

namespace harvel {

// The channel's versions. Version 1: requests `URL,path` (R) answered by the
// bare count (N). Version 2: the hello (H), then field requests (Q) answered
// by field notices (O) that say how each download ended.
inline constexpr int kChannelVersion1 = 1;
inline constexpr int kChannelVersion = 2;

// What a peer states in its hello: the highest version it speaks and what it
// can do ("referer", "max-size", ...). The client sends its hello first on a
// new connection; the downloader answers with its own; both then speak the
// lower version. A downloader that knows no hello drops the connection at the
// unknown kind: the client then connects again and speaks version 1. The
// downloader keeps no version per client: it answers each request in the
// version of its kind.
struct Hello {
  int version = kChannelVersion1;
  std::vector<std::string> features;

  bool has(std::string_view feature) const;
};

std::string EncodeHello(const Hello& hello);

// A hello message's contents; a missing or broken version reads as 1.
Hello ParseHello(const Message& message);

// The version two peers speak: the lower of the two, at least 1.
int AgreedVersion(int mine, int theirs);

// The features VeskDownloader states.
inline constexpr const char* kFeatureReferer = "referer";
inline constexpr const char* kFeatureMaxSize = "max-size";
inline constexpr const char* kFeatureRetry = "retry";
// Takes min-picture in requests and stages, and answers too-small.
inline constexpr const char* kFeatureMinPicture = "min-picture";
// Validators in notices, conditional requests and the outcome "not-modified".
inline constexpr const char* kFeatureConditional = "conditional";
// Fetches ahead: takes Stage and Unstage messages from a client that has said
// hello.
inline constexpr const char* kFeatureStage = "stage";
// Tells a client of a staged copy that has landed, when its stage order asked
// for it (Landed).
inline constexpr const char* kFeatureStageLanded = "stage-landed";
// Fetches ahead conditionally: a stage order may carry validators,
// if-none-match and if-modified-since as a request does.
inline constexpr const char* kFeatureStageConditional = "stage-conditional";
// Takes requests before the notices of earlier ones have gone out (as every
// version did), and says so: a crawl sends rows ahead only to one that states it.
inline constexpr const char* kFeatureRequestsAhead = "requests-ahead";
// Takes an Unstage with "all" and no URL: every copy of the client not yet
// asked for goes at once, before any waiting one is started.
inline constexpr const char* kFeatureUnstageAll = "unstage-all";
// Takes render in requests: the page is opened in a browser and its rendered
// document lands, the notice naming the pictures it loaded. Never staged.
inline constexpr const char* kFeatureRender = "render";
// Takes robots in requests: the site's robots.txt is read before its first
// request and a URL it refuses is answered "robots-excluded". Never staged.
inline constexpr const char* kFeatureRobots = "robots";
// Takes resume-folder in requests: a download cut off part-way is kept there
// and continued by the next request for it (a Range request), whose notice
// tells resumed-from.
inline constexpr const char* kFeatureResume = "resume";

}  // namespace harvel
