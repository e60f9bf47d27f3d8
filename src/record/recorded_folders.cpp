#include "record/recorded_folders.h"

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "record/file_sha256.h"
#include "record/record_file.h"

namespace harvel {
namespace {

const char* ProblemCode(RecordProblem problem) {
  switch (problem) {
    case RecordProblem::None:
      return "";
    case RecordProblem::Corrupt:
      return "corrupt";
    case RecordProblem::Foreign:
      return "foreign";
    case RecordProblem::Newer:
      return "newer";
    case RecordProblem::SymbolicLink:
      return "symbolic-link";
    case RecordProblem::NotAFolder:
      return "not-a-folder";
    case RecordProblem::NotAFile:
      return "not-a-file";
    case RecordProblem::OtherUser:
      return "other-user";
    case RecordProblem::Unwritable:
      return "unwritable";
    case RecordProblem::Busy:
      return "busy";
  }
  return "unwritable";
}

std::string NameOf(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

std::int64_t Now() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace

RecordStatus RecordedFolders::open(const std::string& folder) {
  if (records_.count(folder) > 0)
    return RecordStatus{};
  RecordOpening opening = OpenFolderRecord(folder);
  RecordStatus status;
  status.problem = ProblemCode(opening.problem);
  status.setAsidePath = opening.setAsidePath;
  status.message = opening.message;
  if (!opening.record) {
    status.state = RecordStatus::State::Unusable;
    return status;
  }
  if (opening.problem != RecordProblem::None)
    status.state = RecordStatus::State::Restarted;
  records_[folder] = std::move(opening.record);
  return status;
}

void RecordedFolders::adopt(const std::string& folder, std::unique_ptr<FolderRecord> record) {
  records_[folder] = std::move(record);
}

FolderRecord* RecordedFolders::record(const std::string& folder) {
  error_.clear();
  const auto found = records_.find(folder);
  return found == records_.end() ? nullptr : found->second.get();
}

bool RecordedFolders::failed(FolderRecord& record) {
  if (record.ok())
    return false;
  error_ = record.error();
  record.clearError();
  return true;
}

KnownUrl RecordedFolders::lookup(const std::string& folder, const std::string& url) {
  KnownUrl known;
  FolderRecord* found = record(folder);
  if (found == nullptr) {
    known.kind = KnownUrl::Kind::NoRecord;
    return known;
  }
  if (std::optional<RecordedFile> file = found->file(url)) {
    known.kind = KnownUrl::Kind::File;
    known.localName = std::move(file->localName);
  } else if (std::optional<RecordedPage> page = found->pageValidators(url)) {
    known.kind = KnownUrl::Kind::Page;
    // No server gives validators this long; a record that holds one is not
    // let make a request that large.
    constexpr std::size_t kLongestValidator = 1024;
    if (page->etag.size() <= kLongestValidator)
      known.etag = std::move(page->etag);
    if (page->lastModified.size() <= kLongestValidator)
      known.lastModified = std::move(page->lastModified);
    known.reader = std::move(page->reader);
  }
  failed(*found);
  return known;
}

LandedVerdict RecordedFolders::fileLanded(const std::string& folder, const LandedFile& file) {
  FolderRecord* found = record(folder);
  if (found == nullptr) {
    error_ = "the record of " + folder + " is not open";
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  }
  const std::optional<std::string> digest = FileSha256(file.path);
  std::error_code sizeError;
  const auto size = std::filesystem::file_size(file.path, sizeError);
  if (!digest || sizeError)
    return LandedVerdict{LandedVerdict::Kind::Gone, {}};
  const std::string name = NameOf(file.path);
  RecordedFile entry{file.url,
                     file.finalUrl.empty() ? file.url : file.finalUrl,
                     name,
                     static_cast<std::int64_t>(size),
                     *digest,
                     file.etag,
                     file.lastModified,
                     Now(),
                     ""};

  if (std::optional<RecordedFile> first = found->fileWithSha256(*digest);
      first && first->url != file.url) {
    entry.copyOf = first->url;
    return copy(*found, file, std::move(entry), first->localName, folder);
  }
  for (const std::string& earlier : file.earlierNames) {
    const std::string earlierName = NameOf(earlier);
    if (!found->holdsLocalName(earlierName) && FileSha256(earlier) == digest)
      return copy(*found, file, std::move(entry), earlierName, folder);
  }
  if (failed(*found) || !found->addFile(entry) || failed(*found))
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  return LandedVerdict{LandedVerdict::Kind::Recorded, {}};
}

// The landed file repeats `keptName`: it is removed first and recorded after,
// so that a crawl cut off in between finds it again by its bytes.
LandedVerdict RecordedFolders::copy(FolderRecord& record, const LandedFile& file,
                                    RecordedFile entry, const std::string& keptName,
                                    const std::string& folder) {
  if (keptName != entry.localName)
    unlink(file.path.c_str());
  entry.localName = keptName;
  if (failed(record) || !record.addFile(entry) || failed(record))
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  return LandedVerdict{LandedVerdict::Kind::Copy, folder + "/" + keptName};
}

bool RecordedFolders::pageLinks(const std::string& folder, const std::string& url,
                                PageLinks& links) {
  FolderRecord* found = record(folder);
  if (found == nullptr)
    return false;
  std::optional<RecordedPage> page = found->page(url);
  if (failed(*found) || !page)
    return false;
  links.reader = std::move(page->reader);
  links.links.clear();
  for (PageLink& link : page->links)
    links.links.push_back(LinkText{link.kind, std::move(link.text)});
  return true;
}

bool RecordedFolders::pageRead(const std::string& folder, const LandedFile& page,
                               const PageLinks& links) {
  FolderRecord* found = record(folder);
  if (found == nullptr)
    return false;
  if (page.etag.empty() && page.lastModified.empty())
    return found->dropPage(page.url) || !failed(*found);
  RecordedPage entry{page.url,  page.finalUrl.empty() ? page.url : page.finalUrl,
                     page.etag, page.lastModified,
                     Now(),     links.reader,
                     {}};
  for (const LinkText& link : links.links)
    entry.links.push_back(PageLink{link.kind, link.text});
  return found->putPage(entry) || !failed(*found);
}

}  // namespace harvel
