#include "widgets/window_font.h"

#include <QStringList>

namespace harvel {

QFont WindowFont(QFont font) {
  // A proportional Japanese face keeps the long captions inside their frames.
  QStringList families{QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")};
  families.append(font.families());
  font.setFamilies(families);
  font.setPointSize(9);
  return font;
}

}  // namespace harvel
