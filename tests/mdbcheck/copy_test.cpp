// Copying a closed template to the output folder.
#include "enginefill.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace mdbcheck;
using namespace mdbcheck::testing;

namespace {

std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CopyDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string from = templateFile("LOG_RESET_QVR.mdb");
        ASSERT_TRUE(std::filesystem::exists(from)) << from << " was not generated";
        m_template = m_source.copyIn(from, "LOG_RESET_QVR.mdb");
    }
    TempDir m_source;
    TempDir m_out;
    std::string m_template;
};

TEST_F(CopyDatabase, MissingFolderRaisesAndLeavesNothing)
{
    std::string target = m_out.file("no-such-folder/LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb");
    EXPECT_THROW(mdb::copyDatabase(m_template, target), mdb::Error);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(entries(m_out.path()).empty());
    EXPECT_EQ(entries(m_source.path()), std::vector<std::string>{"LOG_RESET_QVR.mdb"});
}

TEST_F(CopyDatabase, ReplacesAnExistingFileWithoutLeftovers)
{
    std::string target = m_out.file("LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb");
    writeBytes(target, Bytes(10, 'x'));
    mdb::copyDatabase(m_template, target);
    EXPECT_EQ(readBytes(target), readBytes(m_template));
    mdb::copyDatabase(m_template, target); // the same second, the same name
    EXPECT_EQ(readBytes(target), readBytes(m_template));
    EXPECT_EQ(entries(m_out.path()),
              std::vector<std::string>{"LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb"});
    EXPECT_EQ(mdbVersion(target), "JET4");
}

TEST_F(CopyDatabase, MissingSourceKeepsTheOldTarget)
{
    std::string target = m_out.file("kept.mdb");
    writeBytes(target, Bytes(10, 'x'));
    EXPECT_THROW(mdb::copyDatabase(m_source.file("gone.mdb"), target), mdb::Error);
    EXPECT_EQ(readBytes(target), Bytes(10, 'x'));
    EXPECT_EQ(entries(m_out.path()), std::vector<std::string>{"kept.mdb"});
}

} // namespace
