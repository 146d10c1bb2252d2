// Helpers of the engine tests: the reference files, temporary folders,
// whole-file reads and writes.
#pragma once

#include "referencemdb.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace mdbtest {

inline std::string referencePath(const std::string& name)
{
    return refmdb::path(name);
}

inline std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Reads a reference file, or skips the test when the folder is not there.
#define LOAD_REFERENCE(var, name)                                                                  \
    LOGQVR_NEEDS_REFERENCE_MDB();                                                                  \
    std::vector<uint8_t> var = mdbtest::readBytes(mdbtest::referencePath(name));                   \
    ASSERT_FALSE(var.empty()) << mdbtest::referencePath(name) << " is missing or empty"

// What mdb-export prints for table LOG: the header line, then one per row.
inline std::vector<std::string> exportLines(const std::string& path)
{
    std::string command = std::string(LOGQVR_MDB_EXPORT) + " " + path + " LOG 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<std::string> lines;
    char line[8192];
    while (pipe && std::fgets(line, sizeof line, pipe.get()))
        lines.emplace_back(line);
    return lines;
}

inline std::span<const uint8_t> page(const std::vector<uint8_t>& file, uint32_t number)
{
    return std::span<const uint8_t>(file).subspan(number * 4096u, 4096);
}

class TempDir {
public:
    TempDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "mdbtest.XXXXXX").string();
        m_path = ::mkdtemp(templ.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace mdbtest
