#include "main_window/last_crawl_panel.h"

namespace harvel {

LastCrawlPanel::LastCrawlPanel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("StatusBar1LastCrawl"));
  hide();
}

void LastCrawlPanel::loaded() {
  landed_.clear();
  failures_.clear();
  clear();
  setToolTip(QString());
  hide();
}

void LastCrawlPanel::requestEnded(const RequestRecord& record) {
  if (record.outcome.landed) {
    landed_.add(record.path);
  } else if (record.outcome.failed()) {
    failures_.add(QString::fromStdString(RequestRecordText(record)));
  }
}

void LastCrawlPanel::unloaded() {
  if (failures_.count() == 0)
    return;
  setText(QStringLiteral("前回の巡回: 取得 %1 / 失敗 %2")
              .arg(landed_.stillThere())
              .arg(failures_.count()));
  setToolTip(failures_.toolTip());
  show();
}

}  // namespace harvel
