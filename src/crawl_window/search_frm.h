#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "crawl/crawl_observer.h"
#include "crawl_window/count_panel.h"
#include "crawl_window/crawl_list_model.h"
#include "crawl_window/thumbnail_strip.h"
#include "widgets/elided_label.h"

namespace harvel {

// How far a crawl is: the files fetched and the rows left in its list.
struct CrawlProgress {
  std::int64_t done = 0;
  std::int64_t left = 0;
};

// What the crawl window asks of the engine behind it.
struct SearchFrmServices {
  std::function<void()> unloadCrawl;         // Form_Unload's engine side
  std::function<std::string()> mailboxText;  // the text of the engine's mailbox
  // Opens a landed picture with the desktop's viewer; failures are not reported.
  std::function<void(const std::string& path)> openPicture;
  // Pauses or resumes the crawl (the 一時停止 / 再開 button).
  std::function<void(bool paused)> pauseCrawl = {};
  // The files fetched so far and the rows still to handle.
  std::function<CrawlProgress()> progress = {};
  // Where the window opens, for its size with the frame; and where the user
  // left it when it closed (nullopt: where it was placed).
  std::function<QPoint(QSize frame)> placeWindow = {};
  std::function<void(std::optional<QPoint> movedTo)> windowClosed = {};
};

// SearchFrm: the crawl window. Shows the engine's crawl list and progress texts
// as the engine reports them; closing it ends the crawl.
class SearchFrm : public QWidget, public CrawlObserver {
  Q_OBJECT
 public:
  explicit SearchFrm(SearchFrmServices services, QWidget* parent = nullptr);

  // The rows shown. Changes reach it in batches, a few times a second, so a
  // long list is not laid out again for every row; flushRows() applies them now.
  CrawlListModel& crawlList() { return model_; }
  void flushRows();
  QTreeView* listView() const { return ListView1; }
  QString statusPanelText(int panel) const;
  // The panels that count the files that did not land, the pictures left out
  // as too small and the files collected before (the only-new option), each
  // hidden until its first.
  CountPanel* failurePanel() const { return failures_; }
  CountPanel* tooSmallPanel() const { return tooSmall_; }
  CountPanel* robotsPanel() const { return robots_; }
  CountPanel* collectedPanel() const { return collected_; }
  bool crawlLoaded() const { return loaded_; }
  // The crawl's progress in the status bar: done of done + left, the rate and
  // the time left; 中止 ends the crawl as the close box does, 一時停止 holds it.
  QProgressBar* progressBar() const { return progress_; }
  QToolButton* stopButton() const { return stopBtn_; }
  QToolButton* pauseButton() const { return pauseBtn_; }
  // Says in the status bar that a row was added to the running crawl.
  void rowJoined(const CrawlTarget& row);

  // The strip of the latest pictures under the list (サムネイルを表示). Off,
  // the window is as designed; on, it is taller by the strip.
  void setThumbnailsShown(bool shown);
  bool thumbnailsShown() const { return thumbnailsShown_; }
  ThumbnailStrip* thumbnails() const { return thumbnails_; }

  // Lays the list out above the status bar (and the strip, when shown); a
  // window lower than those keeps the list as it was.
  void Form_Resize();
  // The window is closing: shows that the crawl is ending and ends it.
  void Form_Unload();

  // CrawlObserver
  void rowInserted(std::size_t index, const CrawlTarget& row) override;
  void rowRemoved(std::size_t index) override;
  void statusTextChanged(int panel, const std::string& text) override;
  void captionChanged(const std::string& text) override;
  void requestEnded(const RequestRecord& record) override;
  // A record moved aside: said in a box that does not stop the crawl.
  void recordRestarted(const RecordStatus& status) override;
  void showWindow() override;
  void loaded() override;
  void unloaded() override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  int designHeight() const;
  void showProgress();
  void setPaused(bool paused);

  struct RowChange {
    std::size_t index;
    std::optional<CrawlTarget> inserted;  // nullopt: the row at `index` was removed
  };

  SearchFrmServices services_;
  CrawlListModel model_;
  std::vector<RowChange> pending_;
  QTimer flushTimer_;
  bool loaded_ = false;
  bool thumbnailsShown_ = false;
  bool paused_ = false;
  std::optional<QPoint> placedAt_;  // where the window was put when it opened
  QElapsedTimer sinceLoad_;

  QTreeView* ListView1;
  QStatusBar* StatusBar1;
  ElidedLabel* panel1_;
  ElidedLabel* panel2_;
  CountPanel* failures_;
  CountPanel* collected_;
  CountPanel* tooSmall_;
  CountPanel* robots_;  // URLs refused by robots.txt
  ThumbnailStrip* thumbnails_;
  QProgressBar* progress_;
  QToolButton* pauseBtn_;
  QToolButton* stopBtn_;
  QLineEdit* GetTxt;
};

}  // namespace harvel
