#pragma once

#include <QRect>

namespace harvel {

// Window layouts are designed in twips; the screen shows 15 twips a pixel.
constexpr int TwipsToPixels(int twips) {
  return (twips + 7) / 15;
}

inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
               TwipsToPixels(height));
}

}  // namespace harvel
