// GDI+ start-up state: the tokens handed out and not yet shut down.
#pragma once

#include <gdiplus.h>

namespace gdiplus {

bool IsStarted();

}  // namespace gdiplus
