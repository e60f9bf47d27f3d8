// A common header that reaches up into the crawl: a wrong include.
#pragma once

#include "common/path_text.h"
#include "crawl/crawl_session.h"
