#include "record/recorded_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

#include "record/file_sha256.h"
#include "record/partial_downloads.h"
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
    case RecordProblem::HardLink:
      return "hard-link";
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

// A name of the record is used only when it is a plain name in the folder:
// not empty, "." or "..", no "/" and no zero byte.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// The record's `entry` is true of the folder: its name is plain and the file
// there has the recorded size and digest.
bool HoldsRecordedFile(const std::string& folder, const RecordedFile& entry) {
  if (!IsPlainName(entry.localName))
    return false;
  const std::string path = folder + "/" + entry.localName;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != entry.size)
    return false;
  return FileSha256(path) == entry.sha256;
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
  RemoveOldParts(folder, std::chrono::system_clock::now() - kLongestKeptPart);
  return status;
}

std::string RecordedFolders::resumeFolder(const std::string& folder) {
  return records_.count(folder) > 0 ? PartialFolderPath(folder) : std::string();
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
    // Shown as where the file lies; a name that is not plain is not used.
    if (IsPlainName(file->localName))
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
  // What is looked up and what is written are one step for another crawl of
  // the folder, which may land the same file at the same time.
  if (!found->begin()) {
    failed(*found);
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  }
  LandedVerdict verdict = judgeLanded(*found, folder, file, std::move(entry));
  if (verdict.kind == LandedVerdict::Kind::Failed || !found->commit()) {
    found->rollback();
    failed(*found);
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  }
  return verdict;
}

LandedVerdict RecordedFolders::judgeLanded(FolderRecord& record, const std::string& folder,
                                           const LandedFile& file, RecordedFile entry) {
  // The same bytes kept in the folder under a name of the record: this file
  // repeats it. An entry whose file is not there as it says is stale.
  for (const RecordedFile& kept : record.filesWithSha256(entry.sha256)) {
    if ((kept.url == entry.url && kept.localName == entry.localName) ||
        !HoldsRecordedFile(folder, kept))
      continue;
    if (kept.url == entry.url)  // landed twice: its entry stands
      return copy(record, file, std::nullopt, kept.localName, folder);
    entry.copyOf = kept.copyOf.empty() ? kept.url : kept.copyOf;
    return copy(record, file, std::move(entry), kept.localName, folder);
  }
  for (const std::string& earlier : file.earlierNames) {
    const std::string earlierName = NameOf(earlier);
    if (!record.holdsLocalName(earlierName) && FileSha256(earlier) == entry.sha256)
      return copy(record, file, std::move(entry), earlierName, folder);
  }
  if (failed(record) || !record.addFile(entry) || failed(record))
    return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  return LandedVerdict{LandedVerdict::Kind::Recorded, {}};
}

// The landed file repeats `keptName`: it is removed first and recorded after,
// so that a record that cannot be written leaves no second copy behind.
LandedVerdict RecordedFolders::copy(FolderRecord& record, const LandedFile& file,
                                    std::optional<RecordedFile> entry, const std::string& keptName,
                                    const std::string& folder) {
  if (keptName != NameOf(file.path))
    unlink(file.path.c_str());
  if (entry) {
    entry->localName = keptName;
    if (failed(record) || !record.addFile(*entry) || failed(record))
      return LandedVerdict{LandedVerdict::Kind::Failed, {}};
  }
  return LandedVerdict{LandedVerdict::Kind::Copy, folder + "/" + keptName};
}

bool RecordedFolders::holdsName(const std::string& folder, const std::string& name) {
  FolderRecord* found = record(folder);
  if (found == nullptr)
    return false;
  const bool holds = found->holdsLocalName(name);
  failed(*found);
  return holds;
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
