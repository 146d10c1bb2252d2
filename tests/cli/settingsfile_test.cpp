// The window's settings file between the command (no Qt) and the window
// (QSettings): each reads exactly what the other wrote, and the command's
// write waits for the lock a window holds and takes over one left behind.
#include "connection/inisettingsstore.h"

#include <QLockFile>
#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Texts a window may hold: UTF-8, separators, quotes, escapes, blanks at
// the ends, control characters, a leading '@', an empty one.
const char* const kTexts[] = {
    "/home/t\xC3\xA9"
    "cnico/Relat\xC3\xB3rios/",
    "C:\\Logs\\",
    "a;b,c=d",
    "  blanks  ",
    "quote \" and \\ back",
    "tab\tline\nfeed\r",
    "\x01"
    "1\x1f"
    "f",
    "@ByteArray(not one)",
    "@",
    "",
    "12345;05/03/24;14:05:09",
};

class SettingsFile : public testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("logqvr-ini-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string path() const { return (m_folder / "LOG_QVR.conf").string(); }
    static QString key(const char* group, std::size_t i)
    {
        return QString::fromLatin1(group) + "/K" + QString::number(i);
    }

    fs::path m_folder;
};

TEST_F(SettingsFile, EachReadsWhatTheOtherWrote)
{
    {
        QSettings window(QString::fromStdString(path()), QSettings::IniFormat);
        for (std::size_t i = 0; i < std::size(kTexts); ++i)
            window.setValue(key("Params", i), QString::fromUtf8(kTexts[i]));
    }
    const fs::perms windowsMode = fs::status(path()).permissions();
    IniSettingsStore params(path(), "Params");
    IniSettingsStore history(path(), "Historico");
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        SCOPED_TRACE(i);
        const std::string name = key("", i).mid(1).toStdString();
        EXPECT_EQ(params.value(name), kTexts[i]);
        history.setValue(name, kTexts[i]);
        EXPECT_EQ(history.writeFailure(), "");
    }
    QSettings window(QString::fromStdString(path()), QSettings::IniFormat);
    EXPECT_EQ(window.status(), QSettings::NoError);
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(window.value(key("Historico", i)).toString().toStdString(), kTexts[i]);
        EXPECT_EQ(window.value(key("Params", i)).toString().toStdString(), kTexts[i]);
    }
    EXPECT_EQ(fs::status(path()).permissions(), windowsMode);
}

TEST_F(SettingsFile, AWriteWaitsForTheLockAWindowHoldsAndLosesNothing)
{
    QLockFile windowLock(QString::fromStdString(path() + ".lock"));
    ASSERT_TRUE(windowLock.lock());
    IniSettingsStore history(path(), "Historico");
    auto writing = std::async(std::launch::async, [&] { history.setValue("A", "1"); });
    EXPECT_EQ(writing.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    // What the window writes while it holds the lock.
    std::ofstream(path()) << "[Params]\nCOM=4\n";
    windowLock.unlock();
    writing.get();
    EXPECT_EQ(history.writeFailure(), "");
    QSettings window(QString::fromStdString(path()), QSettings::IniFormat);
    EXPECT_EQ(window.value("Params/COM").toString(), "4");
    EXPECT_EQ(window.value("Historico/A").toString(), "1");
    EXPECT_FALSE(fs::exists(path() + ".lock"));
}

TEST_F(SettingsFile, ALockLeftByAProgramThatIsGoneIsTakenOverOneHeldIsNot)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    std::ofstream(path() + ".lock") << gone << "\nLOG_QVR\n" << host << "\n";
    IniSettingsStore history(path(), "Historico");
    history.lockWait = std::chrono::milliseconds(500);
    history.setValue("A", "1");
    EXPECT_EQ(history.writeFailure(), "");
    EXPECT_EQ(history.value("A"), "1");

    QLockFile held(QString::fromStdString(path() + ".lock"));
    ASSERT_TRUE(held.lock());
    history.setValue("A", "2");
    EXPECT_NE(history.writeFailure().find("outro programa"), std::string::npos);
    EXPECT_EQ(history.value("A"), "1");
}

TEST_F(SettingsFile, AFileThatCannotBeReadIsNotReplaced)
{
    // A link to itself: there, but no read gets through it, even as root.
    fs::create_symlink(path(), path());
    IniSettingsStore history(path(), "Historico");
    history.setValue("A", "1");
    EXPECT_NE(history.writeFailure().find("ler"), std::string::npos) << history.writeFailure();
    EXPECT_TRUE(fs::is_symlink(path()));
}

} // namespace
