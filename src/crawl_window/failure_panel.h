#pragma once

#include <QLabel>
#include <QStringList>

#include "crawl/request_record.h"
#include "widgets/failure_list.h"

namespace harvel {

// The crawl window's status-bar panel for files that did not land: hidden
// until the first failure, then "失敗:N". Its tool tip lists the latest
// failures, newest last, one line each in the same words as harvel-cli's
// --verbose (URL, local path, reason, HTTP status, bytes, time).
class FailurePanel : public QLabel {
  Q_OBJECT
 public:
  explicit FailurePanel(QWidget* parent = nullptr);

  // How many failures the tool tip lists.
  static constexpr int kListed = FailureList::kListed;

  void add(const RequestRecord& record);
  void clear();  // a new crawl: no failures, hidden again

  int failures() const { return list_.count(); }
  const QStringList& latest() const { return list_.latest(); }

 private:
  FailureList list_;
};

}  // namespace harvel
