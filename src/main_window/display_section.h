#pragma once

#include "main_window/kept_settings.h"
#include "main_window/settings_section.h"

namespace harvel {

// 表示: how the windows show things. Kept between runs under "display/".
class DisplaySection : public SettingsSection {
 public:
  DisplaySection(KeptSettings kept, QWidget* parent);

 private:
  KeptSettings kept_;
};

}  // namespace harvel
