#pragma once

#include <QAbstractItemModel>
#include <QTreeView>
#include <array>

namespace harvel {

// Makes `view` a list view of rows over `model`: one row selected at a time,
// whole rows, nothing edited in place, the three columns `columnTwips` wide.
void SetUpListView(QTreeView& view, QAbstractItemModel& model, std::array<int, 3> columnTwips);

}  // namespace harvel
