#include "widgets/list_view.h"

#include <QHeaderView>

#include "widgets/twips.h"

namespace harvel {

void SetUpListView(QTreeView& view, QAbstractItemModel& model, std::array<int, 3> columnTwips) {
  view.setModel(&model);
  view.setRootIsDecorated(false);
  view.setItemsExpandable(false);
  view.setUniformRowHeights(true);  // long lists: rows are never measured one by one
  view.setAllColumnsShowFocus(true);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.header()->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column)
    view.setColumnWidth(column, TwipsToPixels(columnTwips[static_cast<std::size_t>(column)]));
}

}  // namespace harvel
