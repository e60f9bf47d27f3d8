#include "main_window/collection_list_model.h"

namespace harvel {

namespace {
const char* const kHeaders[] = {"タイトル", "URL", "レベル"};
}

int CollectionListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CollectionListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant CollectionListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
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

QVariant CollectionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) {
    return {};
  }
  return QString::fromUtf8(kHeaders[section]);
}

void CollectionListModel::append(const CrawlTarget& row) {
  appendAll({row});
}

void CollectionListModel::appendAll(const std::vector<CrawlTarget>& rows) {
  if (rows.empty())
    return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  rows_.insert(rows_.end(), rows.begin(), rows.end());
  endInsertRows();
}

void CollectionListModel::replace(int index, const CrawlTarget& row) {
  rows_.at(static_cast<std::size_t>(index)) = row;
  emit dataChanged(this->index(index, 0), this->index(index, 2));
}

void CollectionListModel::remove(int index) {
  beginRemoveRows({}, index, index);
  rows_.erase(rows_.begin() + index);
  endRemoveRows();
}

void CollectionListModel::clear() {
  if (rows_.empty())
    return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

}  // namespace harvel
