#include "main_window/display_section.h"

namespace harvel {

DisplaySection::DisplaySection(KeptSettings kept, QWidget* parent)
    : SettingsSection("DisplayFrame", QStringLiteral("表示"), parent), kept_(std::move(kept)) {}

}  // namespace harvel
