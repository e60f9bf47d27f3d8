// A folder the layer table does not know.
#pragma once
