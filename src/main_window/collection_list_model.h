#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "common/crawl_target.h"

namespace harvel {

// The collection list: the rows of the main window's list view, in the order
// they were added. Every field is kept exactly as typed.
class CollectionListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const std::vector<CrawlTarget>& rows() const { return rows_; }
  const CrawlTarget& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

  void append(const CrawlTarget& row);
  void appendAll(const std::vector<CrawlTarget>& rows);
  void replace(int index, const CrawlTarget& row);
  void remove(int index);
  void clear();

 private:
  std::vector<CrawlTarget> rows_;
};

}  // namespace harvel
