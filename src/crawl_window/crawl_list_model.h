#pragma once

#include <QAbstractTableModel>
#include <deque>

#include "common/crawl_target.h"

namespace harvel {

// The crawl list as the crawl window shows it: a copy of the engine's list,
// kept in step row by row, so a long list is never redrawn as a whole.
class CrawlListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const CrawlTarget& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

  // Rows out of range are ignored: a late report for a list that was reset
  // must not take the window down.
  void insert(std::size_t index, const CrawlTarget& row);
  void remove(std::size_t index);
  void clear();

 private:
  std::deque<CrawlTarget> rows_;
};

}  // namespace harvel
