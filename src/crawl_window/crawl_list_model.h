#pragma once

#include "widgets/target_list_model.h"

namespace harvel {

// The crawl list as the crawl window shows it: a copy of the engine's list,
// kept in step row by row.
class CrawlListModel : public TargetListModel {
 public:
  explicit CrawlListModel(QObject* parent = nullptr)
      : TargetListModel({QT_TRANSLATE_NOOP("TargetListModel", "フォルダ"), "URL",
                         QT_TRANSLATE_NOOP("TargetListModel", "レベル")},
                        ToolTips::Hidden, parent) {}
};

}  // namespace harvel
