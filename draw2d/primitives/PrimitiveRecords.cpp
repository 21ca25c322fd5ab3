#include "lumiva/PrimitiveRecords.h"

#include <cstring>

// Only the named fields: the host's own bytes stay as they are.
KPrimPicture::KPrimPicture() {  // NOLINT: other fields deliberately left
    alpha = 0xFF;
    std::memset(&angle, 0, 16);
}
