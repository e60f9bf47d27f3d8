#include "crawl_window/crawl_list_model.h"

namespace harvel {

namespace {
const char* const kHeaders[] = {"フォルダ", "URL", "レベル"};
}

int CrawlListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CrawlListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant CrawlListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole)
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

QVariant CrawlListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 2) {
    return {};
  }
  return QString::fromUtf8(kHeaders[section]);
}

void CrawlListModel::insert(std::size_t index, const CrawlTarget& row) {
  if (index > rows_.size())
    return;
  const int at = static_cast<int>(index);
  beginInsertRows({}, at, at);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), row);
  endInsertRows();
}

void CrawlListModel::remove(std::size_t index) {
  if (index >= rows_.size())
    return;
  const int at = static_cast<int>(index);
  beginRemoveRows({}, at, at);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  endRemoveRows();
}

void CrawlListModel::clear() {
  if (rows_.empty())
    return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

}  // namespace harvel
