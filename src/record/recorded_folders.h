#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "crawl/collected_files.h"
#include "record/folder_record.h"

namespace harvel {

// The crawl's CollectedFiles over the record of each title's folder
// (OpenFolderRecord): the records opened stay open until closeAll().
class RecordedFolders : public CollectedFiles {
 public:
  RecordStatus open(const std::string& folder) override;
  void closeAll() override { records_.clear(); }

  KnownUrl lookup(const std::string& folder, const std::string& url) override;
  bool holdsName(const std::string& folder, const std::string& name) override;
  LandedVerdict fileLanded(const std::string& folder, const LandedFile& file) override;
  bool pageLinks(const std::string& folder, const std::string& url, PageLinks& links) override;
  bool pageRead(const std::string& folder, const LandedFile& page, const PageLinks& links) override;
  std::string resumeFolder(const std::string& folder) override;

  std::string error() const override { return error_; }

  // A record to use for `folder` instead of opening its file (tests).
  void adopt(const std::string& folder, std::unique_ptr<FolderRecord> record);

 private:
  // The open record of `folder`, or nullptr; clears the last error.
  FolderRecord* record(const std::string& folder);
  bool failed(FolderRecord& record);
  LandedVerdict judgeLanded(FolderRecord& record, const std::string& folder, const LandedFile& file,
                            RecordedFile entry);
  // `entry`: what to record for the copy; none when its URL's entry stands.
  LandedVerdict copy(FolderRecord& record, const LandedFile& file,
                     std::optional<RecordedFile> entry, const std::string& keptName,
                     const std::string& folder);

  std::map<std::string, std::unique_ptr<FolderRecord>> records_;
  std::string error_;
};

}  // namespace harvel
