#pragma once

#include <QLabel>
#include <QStringList>

#include "crawl/request_record.h"

namespace harvel {

// A status-bar panel of the crawl window that counts one kind of request
// (files that did not land: 失敗:N; pictures left out as too small:
// 小さい画像:N): hidden until the first, then "<caption>:N". Its tool tip lists
// the latest of them, newest last, one line each in the same words as
// harvel-cli's --verbose (URL, local path, outcome, HTTP status, bytes, time).
class CountPanel : public QLabel {
  Q_OBJECT
 public:
  CountPanel(const char* name, const QString& caption, QWidget* parent = nullptr);

  // How many requests the tool tip lists.
  static constexpr int kListed = 20;

  void add(const RequestRecord& record);
  void clear();  // a new crawl: none counted, hidden again

  int count() const { return count_; }
  const QStringList& latest() const { return latest_; }

 private:
  QString caption_;
  int count_ = 0;
  QStringList latest_;
};

}  // namespace harvel
