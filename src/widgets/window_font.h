#pragma once

#include <QFont>

namespace harvel {

// The font of the program's windows: 9 points, a Japanese face first.
QFont WindowFont(QFont base);

}  // namespace harvel
