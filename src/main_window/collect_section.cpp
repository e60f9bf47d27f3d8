#include "main_window/collect_section.h"

namespace harvel {

CollectSection::CollectSection(QWidget* parent)
    : SettingsSection("CollectFrame", QStringLiteral("取得"), parent) {}

}  // namespace harvel
