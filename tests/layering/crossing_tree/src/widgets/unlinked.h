// Includes a folder its row allows, but its targets do not link it.
#pragma once

#include "common/path_text.h"
