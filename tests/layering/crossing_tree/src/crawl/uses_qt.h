// An engine header that includes Qt: a wrong include.
#pragma once

#include <QString>
