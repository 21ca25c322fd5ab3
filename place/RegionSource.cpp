#include "place/RegionSource.h"

#include <cstdio>

#include "place/RegionLoaderHooks.h"

bool FormatRegionPath(char* buffer, size_t size, const char* folder, int32_t rx, int32_t ry) {
    const int written = std::snprintf(buffer, size, "%s\\v_%03d\\%03d_Region_C.dat", folder, ry, rx);
    return written > 0 && size_t(written) < size;
}

KRegionSource::KRegionSource(const char* folder, int32_t rx, int32_t ry) : m_memory(OpenRegionData(rx, ry)) {
    const bool havePath = FormatRegionPath(m_path, sizeof m_path, folder, rx, ry);
    if (!havePath) m_path[0] = 0;
    if (m_memory)
        m_file = m_memory.get();
    else if (havePath) {
        RunRegionLoaderHook(RegionLoaderStep::OpenLoose, rx, ry);
        if (m_pak.Open(m_path)) m_file = &m_pakData;
    }
}
