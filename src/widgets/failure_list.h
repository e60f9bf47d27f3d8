#pragma once

#include <QString>
#include <QStringList>

namespace harvel {

// A crawl's failures as a status-bar panel's tool tip shows them: how many,
// and the latest kListed lines, newest last.
class FailureList {
 public:
  static constexpr int kListed = 20;

  // `line`: one failure (RequestRecordText); control characters are shown as
  // spaces, so a URL from a hostile page cannot break the list's lines, and an
  // HTTP status that is the reason already is not said a second time.
  void add(const QString& line);
  void clear();

  int count() const { return count_; }
  const QStringList& latest() const { return latest_; }
  // The lines as plain text in rich-text form (a URL holding "<" is no
  // markup), led by the number of earlier ones left out.
  QString toolTip() const;

 private:
  int count_ = 0;
  QStringList latest_;
};

}  // namespace harvel
