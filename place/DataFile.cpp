#include "place/DataFile.h"

#include "lumiva/basrel/KPakFile.h"

uint32_t KPakDataFile::Read(void* buffer, uint32_t length) {
    if (!buffer || length == 0) return 0;
    return m_file.Read(buffer, length);
}

uint32_t KPakDataFile::Seek(int32_t offset, int origin) { return m_file.Seek(offset, origin); }
uint32_t KPakDataFile::Tell() { return m_file.Tell(); }
uint32_t KPakDataFile::Size() { return m_file.Size(); }
