#include "commandrig.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string shellQuoted(const std::string& arg)
{
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

CommandRig::CommandRig()
{
    for (const char* file : {CLI_PROGRAM, CLI_LIBRARY})
        fs::copy_file(file, fs::path(programFolder()) / fs::path(file).filename());
    fs::create_directories(home());
    storeSettings(storedSettings(outputFolder() + "/"));
}

std::string CommandRig::storedSettings(const std::string& caminho)
{
    return std::string("[Params]\nBaudrate=1\nCOM=") + std::to_string(kPort) +
           "\nCaminho=" + caminho + "\nEndereco=1\nLeft=3000\nRetries=2\nTimeout=50\nTop=1500\n";
}

std::string CommandRig::settingsFile() const
{
    return home() + "/config/Quorvane/LOG_QVR.conf";
}

void CommandRig::storeSettings(const std::string& text) const
{
    fs::create_directories(fs::path(settingsFile()).parent_path());
    std::ofstream(settingsFile(), std::ios::binary) << text;
}

CommandRun CommandRig::run(const std::vector<std::string>& args,
                           const std::function<void(pid_t)>& meanwhile) const
{
    const std::string program = programFolder() + "/logqvr-cli";
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    // The home and its XDG folders are the test's; KESTRUNE_PORTS is set by start().
    std::vector<std::string> env{std::string("HOME=") + home(),
                                 std::string("XDG_CONFIG_HOME=") + home() + "/config",
                                 std::string("XDG_DATA_HOME=") + home() + "/data"};
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!entry.starts_with("HOME=") && !entry.starts_with("XDG_"))
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string out = home() + "/stdout";
    const std::string err = home() + "/stderr";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + program);
    int status = 0;
    while (waitpid(pid, &status, meanwhile ? WNOHANG : 0) == 0) {
        meanwhile(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    CommandRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

CommandRun CommandRig::runOnTerminal(const std::vector<std::string>& args) const
{
    std::string command = std::string("HOME=") + shellQuoted(home()) +
                          " XDG_CONFIG_HOME=" + shellQuoted(home() + "/config") +
                          " XDG_DATA_HOME=" + shellQuoted(home() + "/data") + " " +
                          shellQuoted(programFolder() + "/logqvr-cli");
    for (const std::string& a : args) {
        command += ' ';
        command += shellQuoted(a);
    }
    FILE* pipe =
        ::popen((std::string("script -qefc ") + shellQuoted(command) + " /dev/null").c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run script(1)");
    CommandRun run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
