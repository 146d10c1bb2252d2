// Where the templates are filled: beside a program that may write there, else
// in the user's copies of the pristine templates, which are made once, kept,
// and replaced with a warning when our own check refuses them.
#include "logexport/exportdatabase.h"
#include "logexport/templatefolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using logexport::kDataTemplate;
using logexport::kResetTemplate;

namespace {

class TemplateFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/templatefolder_test_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
        fs::permissions(m_root, fs::perms::all, fs::perm_options::add);
        fs::create_directories(installed());
        fs::create_directories(program());
        for (const char* name : {kDataTemplate, kResetTemplate})
            fs::copy_file(std::string(LOGEXPORT_TEMPLATE_DIR) + name, installed() + name);
    }
    void TearDown() override { fs::remove_all(m_root); }

    // The installed layout: usr/bin holds the program, usr/share/logqvr the templates.
    std::string program() const { return m_root + "/usr/bin"; }
    std::string installed() const { return m_root + "/usr/share/logqvr"; }
    std::string user() const { return m_root + "/home/data/Quorvane/LOG_QVR"; }

    static ino_t inode(const std::string& path)
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }

    std::string m_root;
};

TEST_F(TemplateFolderTest, BesideAProgramThatMayWriteThereTheyStay)
{
    for (const char* name : {kDataTemplate, kResetTemplate})
        fs::copy_file(installed() + name, program() + name);
    const logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
    EXPECT_EQ(place.folder, program());
    EXPECT_TRUE(place.besideProgram);
    EXPECT_TRUE(place.warnings.empty());
    EXPECT_FALSE(fs::exists(user())) << "nothing is copied for a build tree or portable copy";
}

TEST_F(TemplateFolderTest, InstalledTheUserGetsCopiesOnceAndKeepsThem)
{
    logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
    EXPECT_EQ(place.folder, user());
    EXPECT_FALSE(place.besideProgram);
    EXPECT_TRUE(place.warnings.empty());
    for (const char* name : {kDataTemplate, kResetTemplate})
        EXPECT_EQ(logexport::templateFault(user(), name), std::nullopt) << name;

    // Later starts use the same files: they hold the last download's rows.
    const ino_t copy = inode(user() + kDataTemplate);
    place = logexport::placeTemplates(program(), user());
    EXPECT_EQ(place.folder, user());
    EXPECT_TRUE(place.warnings.empty());
    EXPECT_EQ(inode(user() + kDataTemplate), copy);
}

TEST_F(TemplateFolderTest, ACopyOurCheckRefusesIsReplacedWithAWarning)
{
    fs::create_directories(user());
    // Not a database at all; and a database whose table LOG is the other
    // download's, which lacks the data log's columns.
    std::ofstream(user() + kResetTemplate) << std::string(4096, 'x');
    fs::copy_file(installed() + kResetTemplate, user() + kDataTemplate);
    ASSERT_NE(logexport::templateFault(user(), kDataTemplate), std::nullopt);

    const logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
    EXPECT_EQ(place.folder, user());
    ASSERT_EQ(place.warnings.size(), 2u);
    EXPECT_EQ(
        place.warnings[0].rfind("O modelo LOG_QVR.mdb em " + user() + " estava danificado (3265 - ",
                                0),
        0u)
        << place.warnings[0];
    EXPECT_NE(place.warnings[1].find("LOG_RESET_QVR.mdb"), std::string::npos);
    EXPECT_NE(place.warnings[1].find("foi substituído por uma cópia nova do original."),
              std::string::npos)
        << place.warnings[1];
    for (const char* name : {kDataTemplate, kResetTemplate})
        EXPECT_EQ(logexport::templateFault(user(), name), std::nullopt) << name;
}

// A copy just made is checked as an old one is: a damaged original gives
// copies that would fail every download of their kind, whether made at the
// first start or to replace a damaged copy.
TEST_F(TemplateFolderTest, ACopyOfADamagedOriginalIsToldAtOnce)
{
    std::ofstream(installed() + kResetTemplate, std::ios::trunc) << std::string(4096, 'x');
    logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
    ASSERT_EQ(place.warnings.size(), 1u);
    EXPECT_EQ(place.warnings[0].rfind("O modelo LOG_RESET_QVR.mdb copiado de " + installed() +
                                          " para " + user() + " não passou na verificação (",
                                      0),
              0u)
        << place.warnings[0];

    place = logexport::placeTemplates(program(), user());
    ASSERT_EQ(place.warnings.size(), 1u);
    EXPECT_NE(place.warnings[0].find("estava danificado"), std::string::npos);
    EXPECT_NE(place.warnings[0].find("também não passou na verificação"), std::string::npos)
        << place.warnings[0];
}

// The first download goes to the first-run folder: the user's documents
// folder when the templates are the user's, made if missing; nothing above it.
TEST_F(TemplateFolderTest, TheFirstRunFolderIsMadeWhenMissing)
{
    const logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
    const std::string documents = m_root + "/home/Documentos";
    fs::create_directories(m_root + "/home");
    EXPECT_EQ(logexport::firstRunCaminho(place, program(), documents), documents + "/");
    EXPECT_TRUE(fs::is_directory(documents));
    EXPECT_EQ(logexport::firstRunCaminho(place, program(), m_root + "/gone/Documents"),
              m_root + "/gone/Documents/");
    EXPECT_FALSE(fs::exists(m_root + "/gone"));
    EXPECT_EQ(logexport::firstRunCaminho({program(), true, {}}, program(), documents),
              program() + "/");
}

// A portable copy on a folder the user may not write: root writes anywhere,
// so the check runs as nobody in a child process.
TEST_F(TemplateFolderTest, AReadOnlyProgramFolderSendsTheTemplatesToTheUser)
{
    for (const char* name : {kDataTemplate, kResetTemplate})
        fs::copy_file(installed() + name, program() + name);
    fs::remove_all(installed());
    fs::permissions(program(), fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directories(m_root + "/home");
    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((m_root + "/home").c_str(), kNobody, kNobody), 0);
    }

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                     ::setuid(kNobody) != 0 || ::geteuid() == 0))
            ::_exit(2);
        const logexport::TemplatePlace place = logexport::placeTemplates(program(), user());
        (void)!::write(out[1], place.folder.data(), place.folder.size());
        ::_exit(place.warnings.empty() ? 0 : 1);
    }
    ::close(out[1]);
    std::string folder(4096, '\0');
    const ssize_t length = ::read(out[0], folder.data(), folder.size());
    ::close(out[0]);
    folder.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    fs::permissions(program(), fs::perms::owner_write, fs::perm_options::add);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "cannot drop to an ordinary user here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "warnings while copying";
    EXPECT_EQ(folder, user());
    EXPECT_TRUE(fs::exists(user() + kDataTemplate))
        << "copied from the templates beside the program";
}

} // namespace
