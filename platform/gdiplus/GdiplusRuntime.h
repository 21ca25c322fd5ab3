// GDI+ start-up state: the tokens handed out and not yet shut down.
#pragma once

#include <gdiplus.h>

namespace lumiva::gdiplus {

bool IsStarted();

}  // namespace lumiva::gdiplus
