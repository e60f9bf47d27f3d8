#pragma once

#include "widgets/target_list_model.h"

namespace harvel {

// The collection list: the rows of the main window's list view, in the order
// they were added. A cell's tool tip shows its whole text.
class CollectionListModel : public TargetListModel {
 public:
  explicit CollectionListModel(QObject* parent = nullptr)
      : TargetListModel({QT_TRANSLATE_NOOP("TargetListModel", "タイトル"), "URL",
                         QT_TRANSLATE_NOOP("TargetListModel", "レベル")},
                        ToolTips::Shown, parent) {}
};

}  // namespace harvel
