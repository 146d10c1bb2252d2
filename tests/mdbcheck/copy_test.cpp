// Copying a closed template to the output folder.
#include "enginefill.h"
#include "mdb/copy.h"
#include "staletemporaries.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

int errorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const mdb::Error& e) {
        return e.number();
    }
    return 0;
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
    EXPECT_EQ(errorNumber([&] { mdb::copyDatabase(m_template, target); }), 3044);
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
    EXPECT_EQ(errorNumber([&] { mdb::copyDatabase(m_source.file("gone.mdb"), target); }), 3024);
    EXPECT_EQ(readBytes(target), Bytes(10, 'x'));
    EXPECT_EQ(entries(m_out.path()), std::vector<std::string>{"kept.mdb"});
}

TEST_F(CopyDatabase, AFullDiskKeepsTheOldTargetAndLeavesNoTemporary)
{
    std::string target = m_out.file("LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb");
    writeBytes(target, Bytes(10, 'x'));
    // A file-size limit below the template's size fails the copy's writes
    // as a full disk does (EFBIG once the signal is ignored).
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int number = errorNumber([&] { mdb::copyDatabase(m_template, target); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(number, 3026);
    EXPECT_EQ(readBytes(target), Bytes(10, 'x'));
    EXPECT_EQ(entries(m_out.path()),
              std::vector<std::string>{"LOG_RESET_QVR_END1_2024_03_05_14_05_09.mdb"});
}

// A child process that runs until the guard goes.
class RunningChild {
public:
    RunningChild() : m_pid(::fork())
    {
        if (m_pid == 0) {
            ::pause();
            ::_exit(0);
        }
    }
    ~RunningChild()
    {
        if (m_pid <= 0)
            return; // kill(-1) would reach every process we may signal
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid;
};

pid_t pidOfAnExitedProcess()
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

void setAgeMinutes(const std::string& path, int minutes)
{
    timespec times[2] = {{::time(nullptr) - minutes * 60, 0}, {::time(nullptr) - minutes * 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// A copy killed before its rename leaves ".<name>.<pid>.<n>.tmp" behind. The
// next copy into the folder removes such files once their writer is gone, and
// nothing that could still be written or that is not ours.
TEST_F(CopyDatabase, RemovesTemporariesOfGoneWritersOnly)
{
    RunningChild child;
    pid_t exited = pidOfAnExitedProcess();
    ASSERT_GT(child.pid(), 0);
    ASSERT_GT(exited, 0);
    std::string gone = std::to_string(exited);
    std::string alive = std::to_string(child.pid());
    std::vector<staletemp::Planted> planted = staletemp::plantedTemporaries(gone, alive);
    planted.push_back({".link.mdb." + gone + ".0.tmp", staletemp::Kind::Link, 60, true});
    for (const staletemp::Planted& p : planted) {
        std::string path = m_out.file(p.name);
        if (p.kind == staletemp::Kind::File)
            writeBytes(path, Bytes(100, 'x'));
        else if (p.kind == staletemp::Kind::Folder)
            std::filesystem::create_directory(path);
        else
            std::filesystem::create_symlink(m_template, path);
        setAgeMinutes(path, p.ageMinutes);
    }
    std::string target = "LOG_RESET_QVR_END1_2024_03_05_14_08_00.mdb";
    mdb::copyDatabase(m_template, m_out.file(target));

    EXPECT_EQ(entries(m_out.path()), staletemp::survivors(planted, target));
    EXPECT_EQ(readBytes(m_out.file(target)), readBytes(m_template));
}

} // namespace
