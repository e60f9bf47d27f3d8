#pragma once

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "crawl/crawl_options.h"
#include "crawl/option_table.h"

namespace harvel {

// Option values held in memory, starting at the built-in states of kCheckOptions.
// Used by harvel-cli and by tests; the desktop program reads its controls instead.
class StaticCrawlOptions : public CrawlOptions {
 public:
  StaticCrawlOptions();

  int value(Check check) const override { return values_[static_cast<std::size_t>(check)]; }
  std::string userSetText() const override { return userSetText_; }
  std::string commonUrlText() const override { return commonUrlText_; }
  int speedLevel() const override { return speedLevel_; }
  int jobs() const override { return jobs_; }
  std::optional<std::int64_t> maxFileSize() const override { return maxFileSize_; }
  bool onlyNew() const override { return onlyNew_; }
  PictureSize minimumPicture() const override { return minimumPicture_; }
  int renderScrolls() const override { return render_ ? renderSteps_ : 0; }
  bool robots() const override { return robots_; }
  bool sameSite() const override { return sameSite_; }
  bool allLinks() const override { return allLinks_; }
  int nextPages() const override { return nextPages_; }
  std::shared_ptr<const UrlRules> urlRules() const override { return urlRules_; }

  void set(Check check, bool on) { values_[static_cast<std::size_t>(check)] = on ? 1 : 0; }
  void setValue(Check check, int value) { values_[static_cast<std::size_t>(check)] = value; }
  void setUserSetText(std::string text) { userSetText_ = std::move(text); }
  void setCommonUrlText(std::string text) { commonUrlText_ = std::move(text); }
  void setSpeedLevel(int level) { speedLevel_ = level; }
  void setJobs(int jobs) { jobs_ = jobs; }
  void setMaxFileSize(std::optional<std::int64_t> bytes) { maxFileSize_ = bytes; }
  void setOnlyNew(bool on) { onlyNew_ = on; }
  void setMinimumPicture(PictureSize size) { minimumPicture_ = size; }
  void setRender(bool on) { render_ = on; }
  void setRenderSteps(int steps) { renderSteps_ = steps; }
  void setRobots(bool on) { robots_ = on; }
  void setSameSite(bool on) { sameSite_ = on; }
  void setAllLinks(bool on) { allLinks_ = on; }
  void setNextPages(int pages) { nextPages_ = pages; }
  void setUrlRules(std::shared_ptr<const UrlRules> rules) { urlRules_ = std::move(rules); }

 private:
  std::array<int, kCheckCount> values_{};
  std::string userSetText_ = kBuiltInUserSetText;
  std::string commonUrlText_;
  int speedLevel_ = kDefaultSpeedLevel;
  int jobs_ = kDefaultJobs;
  std::optional<std::int64_t> maxFileSize_ = kDefaultMaxFileSize;
  bool onlyNew_ = false;
  PictureSize minimumPicture_;
  bool render_ = false;
  int renderSteps_ = kDefaultRenderScrolls;
  bool robots_ = false;
  bool sameSite_ = false;
  bool allLinks_ = false;
  int nextPages_ = 0;
  std::shared_ptr<const UrlRules> urlRules_;
};

}  // namespace harvel
