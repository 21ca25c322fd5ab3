#include "effects/ReplacingFile.h"

#include <cstdio>

#include "lumiva/basrel/DataRoot.h"

namespace replacing_file {
namespace {

InjectedFailures g_Injected;
int g_WritesSinceOpen = 0;

// How many of `size` bytes the next write may put down.
size_t AllowedBytes(size_t size) {
    const int index = g_WritesSinceOpen++;
    if (g_Injected.shortWriteAt < 0 || index < g_Injected.shortWriteAt) return size;
    return index == g_Injected.shortWriteAt ? size / 2 : 0;
}

void StartCounting() { g_WritesSinceOpen = 0; }
bool CloseFails() { return g_Injected.failClose; }
bool ReplaceFails() { return g_Injected.failReplace; }

}  // namespace

void InjectFailuresForTests(const InjectedFailures& failures) { g_Injected = failures; }
void ResetForTests() { g_Injected = {}; }

}  // namespace replacing_file

KReplacingFile::~KReplacingFile() { Discard(); }

bool KReplacingFile::Open(const char* fileName) {
    Discard();
    if (!fileName || !basrel::ResolveForWriting(fileName, m_target)) return false;
    m_temporary = m_target + ".tmp";
    m_file = std::fopen(m_temporary.c_str(), "wb");
    if (!m_file) return false;
    m_failed = false;
    replacing_file::StartCounting();
    return true;
}

bool KReplacingFile::Write(const void* data, size_t size) {
    if (!m_file || m_failed) return false;
    const size_t allowed = replacing_file::AllowedBytes(size);
    const size_t written = allowed ? std::fwrite(data, 1, allowed, m_file) : 0;
    if (written != size) m_failed = true;
    return !m_failed;
}

bool KReplacingFile::Commit() {
    if (!m_file) return false;
    const bool closed = std::fclose(m_file) == 0 && !replacing_file::CloseFails();
    m_file = nullptr;
    if (m_failed || !closed || replacing_file::ReplaceFails() ||
        std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void KReplacingFile::Discard() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    if (!m_temporary.empty()) std::remove(m_temporary.c_str());
    m_temporary.clear();
}
