#pragma once

#include <QLabel>
#include <QStringList>

#include "crawl/request_record.h"
#include "widgets/failure_list.h"

namespace harvel {

// A status-bar panel of the crawl window that counts one kind of request end:
// hidden until the first, then "<label>:N" (失敗:N for the files that did not
// land, 取得済:N for those collected before). Its tool tip lists the latest,
// newest last, one line each in the same words as harvel-cli's --verbose
// (URL, local path, outcome, HTTP status, bytes, time).
class CountPanel : public QLabel {
  Q_OBJECT
 public:
  CountPanel(const char* name, QString label, QWidget* parent = nullptr);

  // How many the tool tip lists.
  static constexpr int kListed = FailureList::kListed;

  void add(const RequestRecord& record);
  void clear();  // a new crawl: none, hidden again

  int count() const { return list_.count(); }
  const QStringList& latest() const { return list_.latest(); }

 private:
  QString label_;
  FailureList list_;
};

}  // namespace harvel
