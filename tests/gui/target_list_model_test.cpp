// The list model both windows show their rows through, and the list view set-up.
#include "widgets/target_list_model.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTreeView>

#include "qstring_printer.h"
#include "widgets/list_view.h"

namespace harvel::test {
namespace {

CrawlTarget Row(int n) {
  return {"t" + std::to_string(n), "http://127.0.0.1/" + std::to_string(n), std::to_string(n)};
}

std::vector<std::string> Titles(const TargetListModel& model) {
  std::vector<std::string> titles;
  for (const CrawlTarget& row : model.rows())
    titles.push_back(row.title);
  return titles;
}

TEST(TargetListModel, ShowsEachFieldAsGivenUnderItsHeader) {
  TargetListModel model({"タイトル", "URL", "レベル"}, TargetListModel::ToolTips::Shown);
  model.append({" spaced ", "http://h/", "x"});
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("タイトル"));
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole), QStringLiteral("レベル"));
  EXPECT_FALSE(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).isValid());
  EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole), QStringLiteral(" spaced "));
  EXPECT_EQ(model.data(model.index(0, 1), Qt::ToolTipRole), QStringLiteral("http://h/"));
  EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole), QStringLiteral("x"));

  TargetListModel quiet({"a", "b", "c"}, TargetListModel::ToolTips::Hidden);
  quiet.append(Row(1));
  EXPECT_FALSE(quiet.data(quiet.index(0, 1), Qt::ToolTipRole).isValid());
  EXPECT_EQ(quiet.data(quiet.index(0, 1), Qt::DisplayRole), QStringLiteral("http://127.0.0.1/1"));
}

TEST(TargetListModel, ChangesRowByRowAndIgnoresIndexesOutOfRange) {
  TargetListModel model({"a", "b", "c"}, TargetListModel::ToolTips::Hidden);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  model.appendAll({Row(1), Row(2)});
  model.insert(1, Row(3));
  model.insert(3, Row(4));
  model.insert(9, Row(5));  // past the end: ignored
  EXPECT_EQ(Titles(model), (std::vector<std::string>{"t1", "t3", "t2", "t4"}));
  EXPECT_EQ(inserted.count(), 3);

  model.replace(2, Row(6));
  model.replace(4, Row(7));  // ignored
  EXPECT_EQ(Titles(model), (std::vector<std::string>{"t1", "t3", "t6", "t4"}));
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 2);

  model.remove(0);
  model.remove(4);                             // ignored
  model.remove(static_cast<std::size_t>(-1));  // no row selected: ignored
  EXPECT_EQ(Titles(model), (std::vector<std::string>{"t3", "t6", "t4"}));
  EXPECT_EQ(model.row(2).url, "http://127.0.0.1/4");

  model.clear();
  EXPECT_EQ(model.rowCount(), 0);
  model.appendAll({});
  EXPECT_EQ(inserted.count(), 3);
}

TEST(SetUpListView, ShowsWholeRowsOneAtATimeInColumnsSizedInTwips) {
  TargetListModel model({"a", "b", "c"}, TargetListModel::ToolTips::Hidden);
  QTreeView view;
  SetUpListView(view, model, {1440, 3500, 800});
  EXPECT_EQ(view.model(), &model);
  EXPECT_EQ(view.selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(view.rootIsDecorated());
  EXPECT_EQ(view.header()->sectionSize(0), 96);
  EXPECT_EQ(view.header()->sectionSize(1), 233);
  EXPECT_EQ(view.header()->sectionSize(2), 53);
}

}  // namespace
}  // namespace harvel::test
