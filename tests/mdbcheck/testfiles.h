// Paths and scratch folders shared by the mdbcheck tests.
#pragma once

#include "jetimage.h"
#include "referencemdb.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>

namespace mdbcheck::testing {

// Callers start with LOGQVR_NEEDS_REFERENCE_MDB(): the folder may be absent.
inline std::string referenceFile(const std::string& name)
{
    return refmdb::path(name);
}

// The templates the generator writes beside the program.
inline std::string templateFile(const std::string& name)
{
    if (const char* env = std::getenv("MDBCHECK_TEMPLATE_DIR"); env != nullptr && *env != '\0')
        return std::string(env) + "/" + name;
    return std::string(MDBCHECK_TEMPLATE_DIR) + "/" + name;
}

// A generated template and the Jackcess model of the same table.
struct TemplateCase {
    const char* generated;
    const char* model;
};

inline void PrintTo(const TemplateCase& c, std::ostream* os)
{
    *os << c.generated;
}

inline const TemplateCase kTemplates[] = {{"LOG_QVR.mdb", "jackcess-LOG_QVR.mdb"},
                                          {"LOG_RESET_QVR.mdb", "jackcess-LOG_RESET_QVR.mdb"}};

inline std::string templateCaseName(const ::testing::TestParamInfo<TemplateCase>& info)
{
    std::string n = info.param.generated;
    return n.substr(0, n.find('.'));
}

inline Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// A fresh folder under the system temp dir, removed with everything in it.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mdbcheck-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return m_path.string(); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    // Copies `from` into this folder under `name` and returns the new path.
    std::string copyIn(const std::string& from, const std::string& name) const
    {
        std::filesystem::copy_file(from,
                                   m_path / name,
                                   std::filesystem::copy_options::overwrite_existing);
        return file(name);
    }

private:
    std::filesystem::path m_path;
};

} // namespace mdbcheck::testing
