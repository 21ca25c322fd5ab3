// A file under the data root written so that the old one survives any
// failure: the bytes go to a temporary file beside the target, and only when
// every write and the close succeeded does the temporary replace the target.
// On any failure, or when the writer is dropped without Commit, the
// temporary is removed and the target is as it was.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class KReplacingFile {
public:
    KReplacingFile() = default;
    ~KReplacingFile();
    KReplacingFile(const KReplacingFile&) = delete;
    KReplacingFile& operator=(const KReplacingFile&) = delete;

    // Module path of the target; false when it cannot be written (it leaves
    // the root, names a folder) or the temporary cannot be made.
    bool Open(const char* fileName);
    // False on a short write; every later write is refused too.
    bool Write(const void* data, size_t size);
    // Closes and replaces the target; false (the temporary removed) when a
    // write, the close or the replacement failed.
    bool Commit();

private:
    void Discard();

    FILE* m_file = nullptr;
    std::string m_target;
    std::string m_temporary;
    bool m_failed = false;
};

namespace replacing_file {

// Failures injected into the next writers, for tests: the write with this
// index (0 = first) and all after it come out short (the first one half
// written), the close fails, or the replacement fails. -1 / false: none.
struct InjectedFailures {
    int shortWriteAt = -1;
    bool failClose = false;
    bool failReplace = false;
};
void InjectFailuresForTests(const InjectedFailures& failures);
void ResetForTests();

}  // namespace replacing_file
