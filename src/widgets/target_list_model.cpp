#include "widgets/target_list_model.h"

#include <QCoreApplication>

namespace harvel {

namespace {
constexpr int kColumns = 3;
}

TargetListModel::TargetListModel(std::array<const char*, 3> headers, ToolTips toolTips,
                                 QObject* parent)
    : QAbstractTableModel(parent), headers_(headers), toolTips_(toolTips) {}

int TargetListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TargetListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant TargetListModel::data(const QModelIndex& index, int role) const {
  const bool shown =
      role == Qt::DisplayRole || (role == Qt::ToolTipRole && toolTips_ == ToolTips::Shown);
  if (!index.isValid() || !shown)
    return {};
  const CrawlTarget& target = row(index.row());
  switch (index.column()) {
    case 0:
      return QString::fromStdString(target.title);
    case 1:
      return QString::fromStdString(target.url);
    case 2:
      return QString::fromStdString(target.level);
    default:
      return {};
  }
}

QVariant TargetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumns) {
    return {};
  }
  return QCoreApplication::translate("TargetListModel",
                                     headers_[static_cast<std::size_t>(section)]);
}

std::vector<CrawlTarget> TargetListModel::rows() const {
  return {rows_.begin(), rows_.end()};
}

void TargetListModel::append(const CrawlTarget& row) {
  appendAll({row});
}

void TargetListModel::appendAll(const std::vector<CrawlTarget>& rows) {
  if (rows.empty())
    return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  rows_.insert(rows_.end(), rows.begin(), rows.end());
  endInsertRows();
}

void TargetListModel::insert(std::size_t index, const CrawlTarget& row) {
  if (index > rows_.size())
    return;
  const int at = static_cast<int>(index);
  beginInsertRows({}, at, at);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), row);
  endInsertRows();
}

void TargetListModel::replace(std::size_t index, const CrawlTarget& row) {
  if (index >= rows_.size())
    return;
  rows_[index] = row;
  const int at = static_cast<int>(index);
  emit dataChanged(this->index(at, 0), this->index(at, kColumns - 1));
}

void TargetListModel::remove(std::size_t index) {
  if (index >= rows_.size())
    return;
  const int at = static_cast<int>(index);
  beginRemoveRows({}, at, at);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  endRemoveRows();
}

void TargetListModel::clear() {
  if (rows_.empty())
    return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

}  // namespace harvel
