#include "crawl_window/window_place.h"

#include <gtest/gtest.h>

namespace harvel::test {
namespace {

TEST(PlaceBeside, TheCrawlWindowOpensBesideTheMainWindowNeverOverIt) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize crawl(506, 280);
  const QRect atLeft(40, 30, 680, 600);
  const QRect atRight(1200, 30, 680, 600);
  const QRect wide(100, 100, 1700, 600);
  const QRect full(0, 0, 1920, 1080);
  for (const QRect& main : {atLeft, atRight, wide}) {
    const QRect placed(PlaceBeside(main, crawl, screen), crawl);
    EXPECT_TRUE(screen.contains(placed)) << main.x();
    EXPECT_FALSE(placed.intersects(main)) << main.x();
  }
  EXPECT_EQ(PlaceBeside(atLeft, crawl, screen), QPoint(atLeft.right() + 9, 30));  // right first
  EXPECT_LT(PlaceBeside(atRight, crawl, screen).x(), atRight.x());
  EXPECT_GT(PlaceBeside(wide, crawl, screen).y(), wide.bottom());
  // A main window filling the screen: the crawl window stays on the screen.
  EXPECT_TRUE(screen.contains(QRect(PlaceBeside(full, crawl, screen), crawl)));
}

}  // namespace
}  // namespace harvel::test
