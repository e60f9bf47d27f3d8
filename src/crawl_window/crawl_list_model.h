#pragma once

#include "widgets/target_list_model.h"

namespace harvel {

// The crawl list as the crawl window shows it: a copy of the engine's list,
// kept in step row by row.
class CrawlListModel : public TargetListModel {
 public:
  explicit CrawlListModel(QObject* parent = nullptr)
      : TargetListModel({"フォルダ", "URL", "レベル"}, ToolTips::Hidden, parent) {}
};

}  // namespace harvel
