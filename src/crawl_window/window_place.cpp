#include "crawl_window/window_place.h"

#include <algorithm>
#include <array>

namespace harvel {
namespace {

constexpr int kGap = 8;

}  // namespace

QPoint PlaceBeside(const QRect& main, const QSize& window, const QRect& screen) {
  const std::array<QPoint, 4> sides = {
      QPoint(main.right() + 1 + kGap, main.top()),
      QPoint(main.left() - kGap - window.width(), main.top()),
      QPoint(main.left(), main.bottom() + 1 + kGap),
      QPoint(main.left(), main.top() - kGap - window.height()),
  };
  for (const QPoint& side : sides) {
    if (screen.contains(QRect(side, window)))
      return side;
  }
  // No side has room: the one with the most, pushed back onto the screen.
  const std::array<int, 4> room = {screen.right() - main.right(), main.left() - screen.left(),
                                   screen.bottom() - main.bottom(), main.top() - screen.top()};
  const auto best =
      static_cast<std::size_t>(std::max_element(room.begin(), room.end()) - room.begin());
  QPoint place = sides[best];
  place.setX(std::clamp(place.x(), screen.left(),
                        std::max(screen.left(), screen.right() + 1 - window.width())));
  place.setY(std::clamp(place.y(), screen.top(),
                        std::max(screen.top(), screen.bottom() + 1 - window.height())));
  return place;
}

}  // namespace harvel
