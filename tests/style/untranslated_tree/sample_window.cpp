// A window whose texts the translation check reads (not built).
#include <QCoreApplication>

void Texts() {
  QCoreApplication::translate("Sample", "済み");
  QCoreApplication::translate("Sample", "未訳");
  QCoreApplication::translate("Sample", "新しい");
}
