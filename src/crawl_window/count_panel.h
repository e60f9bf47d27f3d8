#pragma once

#include <QLabel>
#include <QStringList>

#include "crawl/request_record.h"
#include "widgets/failure_list.h"

namespace harvel {

// A status-bar panel of the crawl window that counts one kind of request
// (files that did not land: 失敗:N; pictures left out as too small:
// 小さい画像:N; files collected before, with the only-new option: 取得済:N; URLs refused by
// robots.txt: 除外:N): hidden until the
// first, then "<caption>:N". Its tool tip lists the latest of them, newest last, one line each in
// the same words as harvel-cli's --verbose (URL, local path, outcome, HTTP status, bytes, time).
class CountPanel : public QLabel {
  Q_OBJECT
 public:
  CountPanel(const char* name, const QString& caption, QWidget* parent = nullptr);

  // How many requests the tool tip lists.
  static constexpr int kListed = FailureList::kListed;

  void add(const RequestRecord& record);
  void clear();  // a new crawl: none counted, hidden again

  int count() const { return list_.count(); }
  const QStringList& latest() const { return list_.latest(); }

 private:
  QString caption_;
  FailureList list_;  // the count and the latest lines, whatever kind they are
};

}  // namespace harvel
