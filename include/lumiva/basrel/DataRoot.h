// The data root: the host folder every module path resolves against.
//
// Module paths use the platform's notation: a backslash (or a slash) separates
// folders, a leading backslash starts at the root, and any other name starts
// at the current file path (g_SetFilePath). Names match existing files and
// folders without regard to ASCII case, one component at a time. "." is
// ignored and ".." climbs one folder; a path that climbs above the root is
// refused. Files the module writes (logs, configuration, screenshots) go
// under the same root, through ResolveForWriting.
#pragma once

#include <string>

#include "BasrelApi.h"

// Host folder of the data root; null or empty means the working folder.
// Also moves the current file path back to the root.
BASREL_API void g_SetRootPath(const char* hostFolder);
// Current file path as a module path from the root ("\" or "\maps\east").
// Non-zero on success; a path that leaves the root is refused and the
// current path stays.
BASREL_API int g_SetFilePath(const char* path);
// Copies the current file path, always NUL-terminated within size.
BASREL_API void g_GetFilePath(char* buffer, int size = 260);
// Non-zero when the name is an existing regular file under the root.
BASREL_API int g_FileExists(const char* name);

namespace basrel {

// Host folder of the root, without a trailing slash ("." when unset).
BASREL_API std::string RootFolder();

// Folder-by-folder form of a module path relative to the root, case kept:
// "\a\.\b\..\c.ini" gives "a\c.ini", and the root itself gives "". False for
// a null or empty name and for a path that leaves the root.
BASREL_API bool NormalizeModulePath(const char* name, std::string& modulePath);

// Host path of an existing regular file (or, with wantFolder, folder).
BASREL_API bool ResolveExisting(const char* name, std::string& hostPath, bool wantFolder = false);

// Host path to write the named file to. Existing folders and the file are
// matched without regard to case; missing folders (the root's own too) are
// created with the name's own spelling. False when the name leaves the root, names a folder,
// or a folder cannot be made.
BASREL_API bool ResolveForWriting(const char* name, std::string& hostPath);

// Back to the working folder as root and "\" as file path.
BASREL_API void ResetDataRoot();

}  // namespace basrel
