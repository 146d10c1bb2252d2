// Where the Jet-, Access- and Jackcess-made .mdb files are, and the skip for the
// tests that read them: the files live beside the repository, never in it, so a
// clone on its own has none.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace refmdb {

// The same name in the environment points an existing build at another copy.
inline std::string folder()
{
    if (const char* env = std::getenv("LOGQVR_REFERENCE_MDB_DIR"); env != nullptr && *env != '\0')
        return env;
    return LOGQVR_REFERENCE_MDB_DIR;
}

inline std::string path(const std::string& name)
{
    return folder() + "/" + name;
}

inline bool present()
{
    return std::filesystem::is_directory(folder());
}

} // namespace refmdb

// Skips the calling test when the folder is absent. A file missing from a folder
// that is there is a broken copy, not a reason to skip: the read fails instead.
#define LOGQVR_NEEDS_REFERENCE_MDB()                                                               \
    if (!refmdb::present())                                                                        \
    GTEST_SKIP() << "no reference .mdb files: folder " << refmdb::folder()                         \
                 << " is absent (it lives beside the repository; set LOGQVR_REFERENCE_MDB_DIR)"
