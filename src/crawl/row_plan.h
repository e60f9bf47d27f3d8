#pragma once

#include <optional>
#include <string>

#include "common/crawl_target.h"
#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/download_channel.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/page_reader.h"
#include "crawl/row_facts.h"

namespace harvel {

// What the crawl does with one row.
enum class RowAction {
  Skip,           // nothing is asked for and nothing reported (a refused title, the
                  // type decision, the "=" filter, every numbered name taken)
  Mail,           // a mail row: its address goes to the mail file, no request
  RefusedScheme,  // failed without a request: only http, https and ftp are fetched
  TooLong,        // failed without a request: the channel cannot carry it
  Collected,      // the only-new option: the record says the file was collected before
  Request,        // `request` is sent to the downloader
};

struct RowPlan {
  RowAction action = RowAction::Skip;
  // The reader of the row's page, chosen once for the row, and what it knows
  // of the row.
  const PageReader* reader = nullptr;
  RowFacts facts;
  std::string saveFolder;  // SaveFolder: Harvel's folder / the row's title
  std::string plainFile;   // SaveFile before numbering: saveFolder / the reader's name
  std::string saveFile;    // SaveFile: numbered when asked, claimed where names are per URL
  // Where the reader names files per URL: saveFile before the claim, and the
  // claim to record when the row is handled.
  std::string unclaimedFile;
  std::optional<SaveFileClaim> claim;
  // What is sent (url, path = saveFile, Referer, limits; with the only-new
  // option the validators asked for, and a page's own for a conditional
  // request); also what a row that fails without a request is reported with.
  FileRequest request;
  // The only-new option: what the record of saveFolder says of the URL.
  KnownUrl known;
  // A row skipped because Site only or a rule keeps it out: why.
  std::string refusal;
  // Whether Site only and the rules let the row's file be read for links,
  // should it turn out to be a page (a file served as HTML).
  bool pageInScope = true;

  // After the request, asked of the row's reader: what the landed file turns
  // out to be may rename or drop it (state.SaveFile); whether the file at
  // `saveFile` is then read for links, and after reading whether it is
  // removed again. `outcome`: how the request ended; nullptr for a row that
  // sent none (a mail row: nothing was served).
  void settleLanded(CrawlContext& context, CrawlState& state) const;
  bool readsForLinks(const std::string& saveFile, const DownloadOutcome* outcome) const;
  bool dropsAfterReading(const std::string& saveFile, const DownloadOutcome* outcome) const;
};

// The one decision for a row: whether the row `row`, brought by the page
// `referer` (empty for a row the user started), is asked for under the current
// options and the crawl's state, into which folder, under which name, with
// which Referer and limits, read by which reader; and, through the plan's
// methods, what becomes of its file once it has landed. The crawl driver
// makes it once when it reaches the row and hands it to the staging
// lookahead, which stages row 1 by it; the lookahead makes it for the rows
// ahead (and the rows it predicts from pages read ahead) and stages exactly
// the requests it names. Every per-row decision, and every limit sent with a
// request or a stage, belongs here, so that the two can never disagree; it
// reads the options at each call and changes nothing (the driver records a
// name's claim). With the only-new option it asks the record of the row's
// folder: a row whose folder's record is not open is skipped (the driver
// opens it first). A plan made ahead may turn out wrong by the time the row
// is handled (an option changed, an earlier row's file landed under the same
// name): that only costs a staged copy that is dropped.
// `facts`: what the page said of a row that the crawl has not queued yet (one
// predicted from a page read ahead); else the crawl's own state tells.
RowPlan PlanRow(const CrawlContext& context, const CrawlState& state, const CrawlTarget& row,
                const std::string& referer, const RowFacts* facts = nullptr);

// The path of a row's file from its title's folder on: the "=" filter and the
// mail tests look at this part only, so that where Harvel's folder lies (a
// --dir holding "=") cannot change what a crawl collects.
std::string_view BelowHarvelFolder(const CrawlContext& context, std::string_view saveFile);

// SaveFolder and SaveFile before numbering: Harvel's folder / title (nullopt
// for a title that would lead out of Harvel's folder) / the URL's local name
// as `reader` names it.
std::optional<std::string> RowFolder(const CrawlContext& context, const CrawlTarget& row);
std::string RowSaveFile(const PageReader& reader, const std::string& folder,
                        const std::string& url);

}  // namespace harvel
