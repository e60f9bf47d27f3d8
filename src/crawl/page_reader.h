#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/event_pump.h"
#include "crawl/collected_files.h"
#include "crawl/download_channel.h"
#include "crawl/modern/page_references.h"
#include "crawl/page_lines.h"
#include "crawl/row_facts.h"
#include "crawl/type_decision.h"

namespace harvel {

struct CrawlContext;
struct CrawlState;

enum class ScanEnd {
  Finished,  // every link of the page was examined
  Closed,    // the crawl window was closed meanwhile
};

// A link that a page's reading takes: the URL, the level its row is queued
// at, whether it goes with the pictures (right behind row 1 while pictures
// come first), and what the page says of it.
struct TakenLink {
  std::string url;
  std::int16_t level = 0;
  bool picture = false;
  RowFacts facts;
};

// What a page is read for: the crawl's own row, whose links are queued as they
// are taken and which yields between them, or a page read ahead, whose links
// only predict rows and which never yields.
class PageVisit {
 public:
  virtual ~PageVisit() = default;

  virtual void take(const TakenLink& link) = 0;
  // After each line read and each link examined; false stops the reading (the
  // window was closed).
  virtual bool paced() = 0;
  // Where a long reading waits handling events, and the mark that ends the
  // wait; nullopt reads in place.
  struct Waiting {
    EventPump& pump;
    const bool& closed;
  };
  virtual std::optional<Waiting> waiting() { return std::nullopt; }
};

// A page's file as its reader read it.
struct PageFound {
  PageRead end = PageRead::Unreadable;    // Stopped: the visit asked to stop
  std::string url;                        // the page's URL: its links resolve against it
  std::string text;                       // what a reader of the text read (lines after CR LF)
  std::vector<PageReference> references;  // what a reader of the document found, in order
  // Its next-page link, looked for while next pages are followed or the record is kept.
  std::optional<std::string> nextPage;
};

// One way of reading pages. Everything a crawl decides by the way its pages
// are read is asked of the row's reader, chosen once for the row
// (PageReaders::forRow): the local name of a file, whether a row is wanted,
// whether its file is a page read for links, how that page is read, which of
// its links are taken and at which level, how its links are recorded and
// taken back from the record, and whether the page is kept afterwards. The
// crawl's own row, the staging lookahead and the reading ahead ask the same
// reader, so they cannot disagree. A reader reads the options at each call.
class PageReader {
 public:
  virtual ~PageReader() = default;

  // The name the record keeps a page's links under; links recorded by another
  // reader are not taken by this one.
  virtual const char* name() const = 0;

  // The local name of the file of `url` in its title's folder.
  virtual std::string fileName(const std::string& url) const = 0;
  // True when no two URLs of a crawl land under one name (the later is
  // numbered), whatever the numbering option says.
  virtual bool namesFilesPerUrl() const { return false; }

  // What the crawl's state says of `url`, as this reader keeps it.
  virtual RowFacts factsOf(const CrawlState& state, const std::string& url) const = 0;

  // The type decision for a row by `path`, its file below Harvel's folder.
  // `isBinary` is asked only where the type stage needs it.
  virtual bool rowWanted(std::string_view path, const RowFacts& facts,
                         const BinaryTest& isBinary) const = 0;

  // Whether the row's file at `saveFile` is a page read for links.
  // `servedType` is the Content-Type the server gave once the file has landed
  // ("" when none was told); nullopt asks before it lands, whether it may be.
  virtual bool readsForLinks(std::string_view saveFile, const RowFacts& facts,
                             const std::optional<std::string>& servedType) const = 0;

  // What the request of a row (`page`: one that may be read for links) asks
  // of the downloader beyond fetching the file; a reader of fetched files
  // asks nothing more.
  virtual void prepareRequest(FileRequest& request, bool page) const {
    (void)request;
    (void)page;
  }
  // Whether the row's file may be fetched ahead of the crawl (staged); a
  // reader that asks more of the downloader than a fetch may say no.
  virtual bool fetchedAhead(std::string_view saveFile, const RowFacts& facts) const {
    (void)saveFile;
    (void)facts;
    return true;
  }

  // The row's file landed and was counted: what it turns out to be may
  // rename or drop it (state.SaveFile) before it is looked at as a page.
  virtual void settleLanded(CrawlContext& context, CrawlState& state) const {
    (void)context;
    (void)state;
  }

  // Reads the page file at `path`, the page `pageUrl`, yielding through
  // `visit` as it goes. `outcome`: how the row's request ended, for the
  // crawl's own row; nullptr for a copy read ahead.
  virtual PageFound read(const std::string& path, const std::string& pageUrl,
                         const DownloadOutcome* outcome, PageVisit& visit) const = 0;
  // The links of a page read whole, as the record keeps them.
  virtual std::vector<LinkText> recordedLinks(const PageFound& page) const = 0;
  // Takes the links of `page` into `visit`, in the order the crawl queues
  // them; `level` is the page row's remaining depth, lowered by each page
  // link taken.
  virtual ScanEnd takeLinks(const PageFound& page, std::int16_t& level, PageVisit& visit) const = 0;
  // The same for the links the record keeps of the unchanged page `pageUrl`;
  // none when another reader recorded them.
  virtual ScanEnd takeRecorded(const PageLinks& links, const std::string& pageUrl,
                               std::int16_t& level, PageVisit& visit) const = 0;

  // The keep rule: true when the page at `saveFile`, read for its links, is
  // removed again (`servedType` as for readsForLinks).
  virtual bool dropsPage(std::string_view saveFile, const RowFacts& facts,
                         const std::optional<std::string>& servedType) const = 0;
};

// The Content-Type an outcome tells; "" when the downloader told none (an
// older downloader, or a server that named no type).
std::string ServedType(const DownloadOutcome& outcome);

}  // namespace harvel
