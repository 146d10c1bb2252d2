// qvr-sim run as its own process, the way a technician or a demo uses it.
#include "refcrc.h"
#include "simulator.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

class Program {
public:
    explicit Program(std::vector<std::string> args)
    {
        args.insert(args.begin(), QVR_SIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
    }
    ~Program()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }
    bool running() const { return m_pid > 0; }

    // The first line of stdout, or "" when none comes within the time.
    std::string firstLine(int timeoutMs = 3000)
    {
        std::string line;
        pollfd p{m_out, POLLIN, 0};
        char c = 0;
        while (::poll(&p, 1, timeoutMs) == 1 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    // Exit status after the signal, -1 when it did not exit normally.
    int stop(int signal)
    {
        ::kill(m_pid, signal);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

fs::path freshDir(const char* name)
{
    const fs::path dir =
        fs::temp_directory_path() / (std::string(name) + std::to_string(::getpid()));
    fs::remove_all(dir);
    return dir;
}

} // namespace

TEST(QvrSimProgram, PlacesTheLinkServesTheOptionsAndCleansUp)
{
    const fs::path dir = freshDir("qvrsim-ports-");
    Program program({"--ports",
                     dir.string(),
                     "--port",
                     "7",
                     "--slave",
                     "3",
                     "--pointer",
                     "1234",
                     "--reset-pointer",
                     "0",
                     "--firmware",
                     "250",
                     "--erased",
                     "5",
                     "--bad-crc",
                     "6,7",
                     "--byte-delay-us",
                     "100"});
    ASSERT_TRUE(program.running());
    const std::string path = program.firstLine();
    if (path.empty())
        GTEST_SKIP() << "qvr-sim printed no pty path: no pseudo-terminal on this host?";
    const fs::path link = dir / "com7";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link).string(), path);

    modbus_t* ctx = modbus_new_rtu(link.c_str(), 9600, 'N', 8, 2);
    ASSERT_NE(ctx, nullptr);
    modbus_set_slave(ctx, 3);
    ASSERT_EQ(modbus_connect(ctx), 0);
    uint16_t w[41] = {};
    ASSERT_EQ(modbus_read_registers(ctx, 17008, 3, w), 3);
    EXPECT_EQ(w[0], 250);
    ASSERT_EQ(modbus_read_registers(ctx, 17161, 1, w), 1);
    EXPECT_EQ(w[0], 1234);
    ASSERT_EQ(modbus_read_registers(ctx, 17172, 1, w), 1);
    EXPECT_EQ(w[0], 0);
    for (int n : {4, 5, 6, 7}) {
        ASSERT_EQ(modbus_write_register(ctx, 19045, static_cast<uint16_t>(n - 1)), 1);
        ASSERT_EQ(modbus_read_registers(ctx, 17500, 41, w), 41);
        const bool crcOk = w[40] == simtest::refRecordCrc(w, 40);
        EXPECT_EQ(crcOk, n == 4) << "record " << n;
        EXPECT_EQ(w[0] == 0xFFFF && w[39] == 0xFFFF, n == 5) << "record " << n;
    }
    modbus_close(ctx);
    modbus_free(ctx);

    EXPECT_EQ(program.stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    fs::remove_all(dir);
}

// Between two connects a test in another process makes the device log, wrap,
// forget and change its number, and waits for each answer before going on.
TEST(QvrSimProgram, TakesCommandsFromItsControlPipe)
{
    const fs::path dir = freshDir("qvrsim-control-");
    fs::create_directories(dir);
    const fs::path fifo = dir / "control";
    Program program({"--pointer", "10370", "--serial", "7,8", "--control", fifo.string()});
    ASSERT_TRUE(program.running());
    const std::string path = program.firstLine();
    if (path.empty())
        GTEST_SKIP() << "qvr-sim printed no pty path: no pseudo-terminal on this host?";
    modbus_t* ctx = modbus_new_rtu(path.c_str(), 9600, 'N', 8, 2);
    ASSERT_NE(ctx, nullptr);
    modbus_set_slave(ctx, 1);
    ASSERT_EQ(modbus_connect(ctx), 0);
    struct Step {
        std::string command, answer;
        uint16_t pointer, serial1, serial2;
    };
    const Step steps[] = {
        {"write 31", "ok pointer 20 serial 7,8", 20, 7, 8},
        {"serial 9,1000", "ok pointer 20 serial 9,1000", 20, 9, 1000},
        {"write x", "error: not a command: write x", 20, 9, 1000},
        {"erase", "ok pointer 0 serial 9,1000", 0, 9, 1000},
    };
    uint16_t w[41] = {};
    for (const auto& [command, answer, pointer, serial1, serial2] : steps) {
        {
            std::FILE* out = std::fopen(fifo.c_str(), "w");
            ASSERT_NE(out, nullptr);
            std::fprintf(out, "%s\n", command.c_str());
            std::fclose(out);
        }
        ASSERT_EQ(program.firstLine(), answer);
        ASSERT_EQ(modbus_read_registers(ctx, 17008, 3, w), 3);
        EXPECT_EQ(w[1], serial1) << command;
        EXPECT_EQ(w[2], serial2) << command;
        ASSERT_EQ(modbus_read_registers(ctx, 17161, 1, w), 1);
        EXPECT_EQ(w[0], pointer) << command;
        if (command == "write 31") {
            // Record 0 is the eleventh of the 31, after 10371..10380.
            ASSERT_EQ(modbus_write_register(ctx, 19045, 0xFFFF), 1);
            ASSERT_EQ(modbus_read_registers(ctx, 17500, 41, w), 41);
            const sim::DataRecord expected = sim::makeRecord(sim::kLogCapacity + 11);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end(), w));
        }
    }
    modbus_close(ctx);
    modbus_free(ctx);
    EXPECT_EQ(program.stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fifo));
    fs::remove_all(dir);
}

TEST(QvrSimProgram, RefusesBadOptions)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"--pointer", "x"},
                                          std::vector<std::string>{"--slave", "0"},
                                          std::vector<std::string>{"--erased", "1,99999"},
                                          std::vector<std::string>{"--serial", "1"},
                                          std::vector<std::string>{"--colour", "red"},
                                          std::vector<std::string>{"--port"}}) {
        Program program(args);
        ASSERT_TRUE(program.running());
        EXPECT_EQ(program.firstLine(), "") << args[0];
        EXPECT_EQ(program.wait(), 2) << args[0];
    }
}

// The manual page is made from these two by help2man, which needs each on
// stdout with exit status 0, wherever it stands among the options.
TEST(QvrSimProgram, AnswersHelpAndVersionOnStdout)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--help"}, "Uso: qvr-sim [OPÇÃO]..."},
        {{"--slave", "3", "--help"}, "Uso: qvr-sim [OPÇÃO]..."},
        {{"--version"}, "qvr-sim (LOG_QVR) " QVR_SIM_VERSION},
    };
    for (const auto& [args, firstLine] : cases) {
        Program program(args);
        ASSERT_TRUE(program.running());
        EXPECT_EQ(program.firstLine(), firstLine) << args[0];
        EXPECT_EQ(program.wait(), 0) << args[0];
    }
}
