// One scratch folder for the whole benchmark run, removed at exit: the data
// root of every benchmark that creates a shell (its logs and settings land
// there) or writes data files, so a run leaves nothing in the working folder.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline const std::string& BenchScratchFolder() {
    struct Folder {
        std::string path;
        Folder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "lumiva-bench-XXXXXX").string();
            if (!mkdtemp(pattern.data())) std::abort();
            path = pattern;
        }
        ~Folder() {
            std::error_code error;
            std::filesystem::remove_all(path, error);
        }
    };
    static const Folder folder;
    return folder.path;
}
