#pragma once

#include <QAbstractTableModel>
#include <array>
#include <deque>
#include <vector>

#include "common/crawl_target.h"

namespace harvel {

// A list of crawl targets in three columns (title, URL, level), as both windows
// show one. Rows change one at a time, so a long list is never redrawn as a
// whole. Every field is kept exactly as given.
class TargetListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum class ToolTips { Hidden, Shown };  // Shown: a cell's tool tip is its whole text

  // `headers` are UTF-8, translated in the context "TargetListModel" when shown.
  TargetListModel(std::array<const char*, 3> headers, ToolTips toolTips, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  std::vector<CrawlTarget> rows() const;
  const CrawlTarget& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }

  void append(const CrawlTarget& row);
  void appendAll(const std::vector<CrawlTarget>& rows);
  // Indexes out of range are ignored: a late report for a list that was reset
  // must not take the window down.
  void insert(std::size_t index, const CrawlTarget& row);
  void replace(std::size_t index, const CrawlTarget& row);
  void remove(std::size_t index);
  void clear();

 private:
  std::array<const char*, 3> headers_;
  ToolTips toolTips_;
  std::deque<CrawlTarget> rows_;
};

}  // namespace harvel
