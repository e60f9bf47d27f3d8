// Draws the program's icon into the hicolor layout at build time:
//   harvel_icon_tool FOLDER NAME SIZE...  ->  FOLDER/<SIZE>x<SIZE>/apps/NAME.png
// Run on the offscreen platform; needs no display.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "main_window/picture_button.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: harvel_icon_tool FOLDER NAME SIZE...\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int i = 3; i < argc; ++i) {
    bool isNumber = false;
    const int side = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
    if (!isNumber || side < 8 || side > 1024) {
      std::fprintf(stderr, "harvel_icon_tool: %s is not an icon size\n", argv[i]);
      return 2;
    }
    const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
    const QString file = QStringLiteral("%1/%2.png").arg(apps, name);
    if (!QDir().mkpath(apps) || !harvel::DrawProgramIcon(side).save(file, "PNG")) {
      std::fprintf(stderr, "harvel_icon_tool: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
