// Platform may use the crawl's interfaces but not the rest of the engine.
#pragma once

#include "crawl/crawl_session.h"
#include "crawl/download_channel.h"
