// logqvr-cli as a script runs it: the real program against the simulated
// device over a pty, its files read back with mdbtools and compared with what
// the window's controllers write for the same device; its exit codes from
// real causes, Ctrl+C mid-download, its JSON, its progress line.
#include "commandrig.h"
#include "connection/connectcontroller.h"
#include "logexport/datalogdownload.h"
#include "logexport/resetlogdownload.h"
#include "minijson.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using mdbcheck::json::Value;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().string());
    return names;
}

class CommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        rig = std::make_unique<CommandRig>();
        std::string why;
        if (!rig->start(&why))
            GTEST_SKIP() << "no pseudo-terminal: " << why;
        rig->device.withState([](sim::DeviceState& s) {
            s.fillDataLog(100);
            s.fillResetLog(5);
        });
    }

    std::string folder(const std::string& name) const
    {
        const std::string path = rig->home() + "/" + name;
        fs::create_directories(path);
        return path;
    }

    std::unique_ptr<CommandRig> rig;
};

// What the window writes for one choice, through its own controllers.
struct SameCase {
    std::vector<std::string> args;
    std::function<void(FormView&)> choose; // none: the reset log
    std::size_t rows;
};

TEST_F(CommandTest, EachChoiceWritesWhatTheWindowWritesRowForRow)
{
    const SameCase cases[] = {
        {{"--dados", "inteira"},
         [](FormView& v) { v.setChecked(Control::optInteira, true); },
         10380},
        {{"--dados", "ultimos:10"},
         [](FormView& v) {
             v.setText(Control::txtUltimos, "10");
             v.setChecked(Control::optUltimos, true);
         },
         10},
        // Across the end of the ring: 10370 to 10380, then 0 to 5.
        {{"--dados", "de:10370-5"},
         [](FormView& v) {
             v.setText(Control::txtDe, "10370");
             v.setText(Control::txtAte, "5");
         },
         17},
        {{"--reset"}, {}, 70},
    };
    for (const SameCase& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        ConnectController window(rig->context());
        ASSERT_EQ(window.cmdOK_Click(), ConnectEnd::Connected);
        logexport::ExportResult byWindow;
        if (c.choose) {
            c.choose(rig->view);
            byWindow = DataLogDownload(rig->context()).run(logexport::PartialChoice::Drop);
        } else {
            byWindow = ResetLogDownload(rig->context()).run(logexport::PartialChoice::Drop);
        }
        ASSERT_EQ(window.cmdOK_Click(), ConnectEnd::Disconnected);

        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--caminho", folder("cli"), "--json"});
        const CommandRun run = rig->run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string file =
            mdbcheck::json::parse(run.out).at("files").items.at(0).at("path").text;
        const std::vector<Row> rows = readLogTable(file);
        EXPECT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows, readLogTable(byWindow.file));
        fs::remove_all(folder("cli"));
    }
}

TEST_F(CommandTest, StoredSettingsAreTheDefaultsOptionsOverrideThemAndAreNeverWritten)
{
    const std::string stored = readFile(rig->settingsFile());

    const CommandRun byDefault = rig->run({"--dados", "ultimos:3"});
    ASSERT_EQ(byDefault.exitCode, 0) << byDefault.err;
    ASSERT_EQ(rig->outputFiles().size(), 1u);
    EXPECT_EQ(byDefault.out.substr(byDefault.out.find(rig->outputFolder())),
              rig->outputFolder() + "/" + rig->outputFiles()[0] + "\n");

    // A folder without its separator gets one, as the folder browser gives it.
    const std::string other = folder("other");
    EXPECT_EQ(rig->run({"--dados", "ultimos:3", "--caminho", other}).exitCode, 0);
    EXPECT_EQ(filesIn(other).size(), 1u);

    // The simulated device answers only at address 1, and no port 200 exists.
    EXPECT_EQ(rig->run({"--endereco", "2", "--timeout", "20"}).exitCode, 4);
    EXPECT_EQ(rig->run({"--com", "200"}).exitCode, 3);

    // Only the device's memory was added, after the window's own section.
    const std::string now = readFile(rig->settingsFile());
    EXPECT_EQ(now.substr(0, stored.size()), stored);
    EXPECT_EQ(now.substr(stored.size()), "\n[Historico]\n12_345=100 04/06/23 06:20:46\n");
    EXPECT_FALSE(fs::exists(rig->settingsFile() + ".lock"));
}

struct Cause {
    const char* name;
    std::vector<std::string> args;
    sim::Faults faults;
    int exitCode;
    const char* says;  // on stderr
    std::size_t files; // in the output folder
};

sim::Faults readsFailAfter(int good)
{
    sim::Faults f;
    f.failReadsAtRegister = sim::kRegLogWindow;
    f.failAfterReadsOfRegister = good;
    return f;
}

TEST_F(CommandTest, EachExitCodeFromARealCause)
{
    sim::Faults silent;
    silent.silent = true;
    const Cause causes[] = {
        {"unknown choice", {"--dados", "tudo"}, {}, 2, "--dados aceita", 0},
        {"range the window refuses",
         {"--dados", "de:0-5"},
         {},
         2,
         "Registro inicial de leitura inválido. (1 a 10380)\n",
         0},
        {"no such port", {"--com", "200"}, {}, 3, "Erro ao abrir porta COM.\nPorta 200", 0},
        {"silent device", {}, silent, 4, "Erro ao ler os registradores.\n", 0},
        {"read fails halfway",
         {"--dados", "ultimos:20"},
         readsFailAfter(5),
         4,
         "Erro ao ler o LOG. (Download parou no registro 85)\nSalvar os 5 registros lidos? Não",
         0},
        {"read fails halfway, --parcial",
         {"--dados", "ultimos:20", "--parcial"},
         readsFailAfter(5),
         4,
         "Dados parciais gravados (5 registros)\n",
         1},
        // The reset log still comes after the data log failed; its success
        // does not hide that failure.
        {"first failure decides",
         {"--dados", "ultimos:20", "--reset"},
         readsFailAfter(5),
         4,
         "Erro ao ler o LOG. (Download parou no registro 85)",
         1},
        {"folder that cannot be written",
         {"--dados", "ultimos:3", "--caminho", "/proc/nenhuma"},
         {},
         5,
         " - ",
         0},
    };
    for (const Cause& c : causes) {
        SCOPED_TRACE(c.name);
        rig->device.setFaults(c.faults);
        rig->device.clearTransactions();
        const CommandRun run = rig->run(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(rig->outputFiles().size(), c.files);
        for (const std::string& name : rig->outputFiles()) {
            if (name.find("_PARCIAL") != std::string::npos) {
                EXPECT_EQ(readLogTable(rig->outputFolder() + "/" + name).size(), 5u);
            }
            fs::remove(rig->outputFolder() + "/" + name);
        }
        if (c.exitCode == 2 && c.args[1] == "tudo") {
            EXPECT_TRUE(rig->device.transactions().empty()) << "wrong usage, yet the port was used";
        }
    }
}

TEST_F(CommandTest, CtrlCStopsAfterTheRecordInFlightAndKeepsWhatWasReadOnlyWhenAsked)
{
    sim::Faults slow;
    slow.byteDelayUs = 300; // some 30 ms a record
    rig->device.setFaults(slow);
    for (const auto& [signal, parcial] : {std::pair{SIGINT, true}, std::pair{SIGTERM, false}}) {
        SCOPED_TRACE(parcial ? "SIGINT, --parcial" : "SIGTERM");
        rig->device.clearServedRecords();
        std::vector<std::string> args{"--dados", "inteira"};
        if (parcial)
            args.push_back("--parcial");
        bool sent = false;
        const CommandRun run = rig->run(args, [&](pid_t pid) {
            if (!sent && rig->device.servedRecords().size() >= 20) {
                ::kill(pid, signal);
                sent = true;
            }
        });
        ASSERT_TRUE(sent);
        EXPECT_EQ(run.exitCode, 6) << run.err;
        // Every record served is stored: the one in flight finished.
        const std::size_t served = rig->device.servedRecords().size();
        const std::string count = std::to_string(served) + " registros";
        EXPECT_NE(run.err.find(count), std::string::npos) << run.err << " served " << served;
        // The template was closed whole, with what was read.
        EXPECT_EQ(readLogTable(rig->programFolder() + "/LOG_QVR.mdb").size(), served);
        ASSERT_EQ(rig->outputFiles().size(), parcial ? 1u : 0u);
        if (parcial) {
            const std::string kept = rig->outputFolder() + "/" + rig->outputFiles()[0];
            EXPECT_NE(kept.find("_PARCIAL.mdb"), std::string::npos);
            EXPECT_EQ(readLogTable(kept).size(), served);
            fs::remove(kept);
        }
    }
}

TEST_F(CommandTest, JsonTellsTheDeviceEachFileTheRangeTheTimeAndTheOutcome)
{
    // One record of the range with a CRC that does not match.
    rig->device.withState([](sim::DeviceState& s) { s.records[95][40] ^= 1; });
    const CommandRun run =
        rig->run({"--dados", "ultimos:10", "--reset", "--relatorio", "--csv", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Value json = mdbcheck::json::parse(run.out); // stdout holds nothing else

    const Value& device = json.at("device");
    EXPECT_EQ(device.at("port").text, std::to_string(CommandRig::kPort));
    EXPECT_EQ(device.at("address").text, "1");
    EXPECT_EQ(device.at("firmware").text, "1.24");
    EXPECT_EQ(device.at("release").text, "4");
    EXPECT_EQ(device.at("serial").text, "012345");
    EXPECT_EQ(device.at("serial_parts").items.at(1).text, "345");
    EXPECT_EQ(device.at("log_option").text, "true");
    EXPECT_EQ(device.at("pointer").text, "100");
    EXPECT_EQ(device.at("status").text, "Conectado. Firmware v1.24 Release 4");

    struct File {
        const char* kind;
        const char* ending;
        const char* records;
        const char* badCrc;
    };
    const File expected[] = {{"data", ".mdb", "10", "1"},
                             {"report", ".html", "10", "1"},
                             {"csv", ".csv", "10", "1"},
                             {"reset", ".mdb", "70", "0"},
                             {"report", ".html", "70", "0"},
                             {"csv", ".csv", "70", "0"}};
    const std::vector<Value>& files = json.at("files").items;
    ASSERT_EQ(files.size(), std::size(expected));
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(files[i].at("kind").text, expected[i].kind);
        EXPECT_TRUE(files[i].at("path").text.ends_with(expected[i].ending));
        EXPECT_TRUE(fs::exists(files[i].at("path").text));
        EXPECT_EQ(files[i].at("records").text, expected[i].records);
        EXPECT_EQ(files[i].at("bad_crc").text, expected[i].badCrc);
        EXPECT_EQ(files[i].at("partial").text, "false");
    }

    const Value& range = json.at("range");
    EXPECT_EQ(range.at("choice").text, "ultimos:10");
    EXPECT_EQ(range.at("planned").text, "10");
    EXPECT_EQ(range.at("first").text, "91");
    EXPECT_EQ(range.at("last").text, "100");
    EXPECT_EQ(range.at("read").text, "10");
    EXPECT_GT(std::stod(json.at("seconds").text), 0.0);
    EXPECT_EQ(json.at("exit_code").text, "0");
    EXPECT_EQ(json.at("outcome").text, "done");
    const std::vector<Value>& messages = json.at("messages").items;
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].at("text").text, "Dados gravados com sucesso");
    EXPECT_EQ(messages[1].at("title").text, "OK");
    EXPECT_EQ(messages[1].at("level").text, "information");
}

// One visit of a nightly --dados novos: what the device did since, and what
// the command then says and writes.
struct Visit {
    const char* name;
    std::function<void(sim::DeviceState&)> since;
    sim::Faults faults;
    int exitCode;
    const char* check; // the JSON's history.check
    std::size_t rows;  // of the data-log file; 0: none written
    int firstRecord;   // of that file
    int remembered;    // history.after.record
};

TEST_F(CommandTest, NewRecordsOnlyVisitAfterVisitAndTheMemoryMovesAsTheWindowMovesIt)
{
    const std::string stored = readFile(rig->settingsFile());
    const Visit visits[] = {
        // Nothing remembered yet: every record is unsaved.
        {"first visit", {}, {}, 0, "no-memory", 10380, 0, 100},
        {"24 new", [](sim::DeviceState& s) { s.writeRecords(24); }, {}, 0, "matched", 24, 101, 124},
        {"nothing new", {}, {}, 0, "matched", 0, 0, 124},
        // Across the end of the ring: 10380, then 0 onwards.
        {"across the end",
         [](sim::DeviceState& s) { s.writeRecords(10380 - 124 + 5); },
         {},
         0,
         "matched",
         10380 - 124 + 5,
         125,
         4},
        {"remembered record unreadable",
         [](sim::DeviceState& s) { s.writeRecords(3); },
         readsFailAfter(0),
         4,
         "read-failed",
         0,
         0,
         4},
        // More than the ring holds since: the remembered record is overwritten,
        // and the pointer is back at 7.
        {"memory overwritten",
         [](sim::DeviceState& s) { s.writeRecords(10381); },
         {},
         0,
         "mismatch",
         10380,
         0,
         7},
    };
    for (const Visit& v : visits) {
        SCOPED_TRACE(v.name);
        if (v.since)
            rig->device.withState([&](sim::DeviceState& s) { v.since(s); });
        rig->device.setFaults(v.faults);
        const CommandRun run = rig->run({"--dados", "novos", "--json"});
        EXPECT_EQ(run.exitCode, v.exitCode) << run.err;
        const Value json = mdbcheck::json::parse(run.out);
        const Value& history = json.at("history");
        EXPECT_EQ(history.at("check").text, v.check);
        EXPECT_EQ(history.at("after").at("record").text, std::to_string(v.remembered));
        const std::vector<Value>& files = json.at("files").items;
        ASSERT_EQ(files.size(), v.rows ? 1u : 0u);
        if (v.rows) {
            EXPECT_EQ(readLogTable(files[0].at("path").text).size(), v.rows);
            EXPECT_EQ(json.at("range").at("first").text, std::to_string(v.firstRecord));
            fs::remove(files[0].at("path").text);
        }
    }
    // The memory went into a section of its own; the window's are as they were.
    const std::string now = readFile(rig->settingsFile());
    EXPECT_EQ(now.substr(0, stored.size()), stored);
    EXPECT_NE(now.find("\n[Historico]\n12_345="), std::string::npos) << now;
}

TEST_F(CommandTest, AMemoryThatCannotBeStoredIsToldAndFailsTheRun)
{
    // A window that holds the settings' lock and does not let it go.
    const std::string lock = rig->settingsFile() + ".lock";
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    const std::string holder = std::to_string(::getpid()) + "\nLOG_QVR\n\n";
    ASSERT_EQ(::write(fd, holder.data(), holder.size()), static_cast<ssize_t>(holder.size()));

    const CommandRun run = rig->run({"--dados", "ultimos:3"});
    ::unlink(lock.c_str());
    ::close(fd);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_NE(run.err.find("Não foi possível guardar o último registro salvo deste equipamento"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(rig->outputFiles().size(), 1u) << "the file itself was written";
}

TEST_F(CommandTest, ProgressLineOnlyOnATerminalAndNotWhenSilent)
{
    const CommandRun piped = rig->run({"--dados", "inteira"});
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.err, "Dados gravados com sucesso\n");

    const CommandRun watched = rig->runOnTerminal({"--dados", "inteira"});
    ASSERT_EQ(watched.exitCode, 0) << watched.out;
    EXPECT_NE(watched.out.find("\r0%"), std::string::npos) << watched.out;
    EXPECT_NE(watched.out.find("%  Lendo registro "), std::string::npos) << watched.out;

    const CommandRun silent = rig->runOnTerminal({"--dados", "inteira", "--silencioso"});
    ASSERT_EQ(silent.exitCode, 0) << silent.out;
    EXPECT_EQ(silent.out, "");
}

} // namespace
