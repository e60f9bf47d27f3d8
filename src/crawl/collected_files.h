#pragma once

#include <string>
#include <vector>

namespace harvel {

// How the record of a title's folder could be opened for a crawl.
struct RecordStatus {
  enum class State {
    Ready,      // in use
    Restarted,  // the record found could not be used: it was moved aside, a new one began
    Unusable,   // no record can be kept: the crawl must not run with the option on
  };
  State state = State::Ready;
  // Why it was restarted or is unusable: "corrupt", "foreign", "newer",
  // "symbolic-link", "not-a-folder", "not-a-file", "other-user", "hard-link",
  // "unwritable", "busy"; empty when ready.
  std::string problem;
  std::string setAsidePath;  // Restarted: where the old record now lies
  std::string message;       // the same in one English sentence
};

// What the record says of a URL.
struct KnownUrl {
  enum class Kind {
    Unknown,   // not recorded
    File,      // a file landed (or a copy of one): it is not asked for again
    Page,      // a page read for links: asked for again, conditionally
    NoRecord,  // the folder's record is not open
  };
  Kind kind = Kind::Unknown;
  std::string localName;     // File: its name in the folder
  std::string etag;          // Page: the validators it came with
  std::string lastModified;  //
  std::string reader;        // Page: which way its links were read
};

// One link of a page as its reader found it; `kind` is the reader's own.
struct LinkText {
  int kind = 0;
  std::string text;
};

// A page read for links, as the record keeps it.
struct PageLinks {
  std::string reader;
  std::vector<LinkText> links;
};

// A file that landed in the title's folder, with what the server said of it.
struct LandedFile {
  std::string url;
  std::string finalUrl;
  std::string path;
  std::string etag;
  std::string lastModified;
  // When the file landed under a numbered name: the files of the plain name
  // and of the lower numbers. One of them that the record does not know and
  // that holds the same bytes is this file, landed by a crawl that was cut
  // off before it could record it.
  std::vector<std::string> earlierNames;
};

// What became of a landed file.
struct LandedVerdict {
  enum class Kind {
    Recorded,  // kept and recorded
    Copy,      // the same bytes as a file of the folder: removed, recorded as a copy
    Gone,      // not there any more: nothing recorded
    Failed,    // the record could not be written (error())
  };
  Kind kind = Kind::Recorded;
  std::string keptPath;  // Copy: the file it repeats
};

// The record of what each title's folder holds, which the crawl keeps and
// asks while the only-new option is on: URLs recorded as files are not asked
// for again, pages are asked for with their validators and give their
// recorded links when unchanged, and a landed file that repeats one of the
// folder is not kept twice. Every call names the title's folder.
class CollectedFiles {
 public:
  virtual ~CollectedFiles() = default;

  // Opens the record of `folder` for the crawls that follow; once open, the
  // same folder is Ready until closeAll().
  virtual RecordStatus open(const std::string& folder) = 0;
  virtual void closeAll() = 0;

  virtual KnownUrl lookup(const std::string& folder, const std::string& url) = 0;
  // Whether the record names a kept file `name` of `folder`: a numbered name
  // is never given to other bytes then, even when the file is gone.
  virtual bool holdsName(const std::string& /*folder*/, const std::string& /*name*/) {
    return false;
  }
  virtual LandedVerdict fileLanded(const std::string& folder, const LandedFile& file) = 0;
  // The links recorded for the page `url`; false when none could be read.
  virtual bool pageLinks(const std::string& folder, const std::string& url, PageLinks& links) = 0;
  // The page `url` was read: its links are recorded with its validators (a
  // page without any is forgotten, since it cannot be asked for conditionally).
  virtual bool pageRead(const std::string& folder, const LandedFile& page,
                        const PageLinks& links) = 0;

  // Where the downloader may keep the files of `folder` cut off part-way, to
  // continue them on the next request; empty: nowhere.
  virtual std::string resumeFolder(const std::string& /*folder*/) { return {}; }

  // Why the last call failed; empty when it did not.
  virtual std::string error() const = 0;
};

}  // namespace harvel
