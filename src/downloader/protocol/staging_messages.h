#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_request.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/hello.h"

namespace harvel {

// Stage: fetch the file of `staged.request` into a hidden file in its folder,
// sent with its Referer, refused over its size limit and left out under its
// smallest picture exactly as a request with them would be; at most `jobs`
// transfers of this client at once. A later request asked alike
// (FileRequest::askedAlike) into a file of that folder is answered from the
// copy. Unstage names the URL and folder of a copy that will not be asked
// for. A stage that asks to be told (tellLanded) is followed by Landed once
// its copy lies in the folder; a conditional stage is fetched conditionally,
// a 304 ends it as not modified with no file.
inline constexpr int kMaxStageJobs = 16;

// The fields of request_fields.h that `peer` takes in a stage (nullptr: all),
// "jobs", and "tell-landed" for a downloader that states "stage-landed".
std::string EncodeStage(const StagedFile& staged, const Hello* peer = nullptr);
// Fields: url, folder.
std::string EncodeUnstage(std::string_view url, std::string_view folder);
// nullopt when the URL or the folder is missing or empty, or a field is
// malformed (request_fields.h); jobs is brought into 1 to kMaxStageJobs.
std::optional<StagedFile> ParseStage(const Message& message);
// Only the URL and the folder count.
std::optional<StagedFile> ParseUnstage(const Message& message);
// Unstage with the field "all" and no URL: every copy of the client not yet
// asked for. An older downloader finds no URL in it and ignores it.
std::string EncodeUnstageAll();
bool IsUnstageAll(const Message& message);

// Landed: the copy of a stage order that asked to be told has landed and lies
// at `path` until it is asked for or unstaged. Fields: url, folder, path and,
// when known, content-type.
std::string EncodeLanded(const LandedCopy& landed);
// nullopt when the URL, the folder or the path is missing or empty.
std::optional<LandedCopy> ParseLanded(const Message& message);

}  // namespace harvel
