#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace harvel {

// Where the crawl window (`window`, its frame's size) opens beside the main
// window's frame `main` on the screen area `screen`: to its right, else to its
// left, else below it, else above it, the first that fits; when none fits, the
// side with the most room, kept on the screen.
QPoint PlaceBeside(const QRect& main, const QSize& window, const QRect& screen);

}  // namespace harvel
