#include "downloadrig.h"

#include "connection/dynamickestrune.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

DownloadRig::DownloadRig()
{
    char pattern[] = "/tmp/logexport_test_XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir)
        throw std::runtime_error("no temp folder");
    m_root = dir;
    fs::create_directories(programFolder());
    fs::create_directories(outputFolder());
    for (const char* name : {"LOG_QVR.mdb", "LOG_RESET_QVR.mdb"})
        fs::copy_file(fs::path(LOGEXPORT_TEMPLATE_DIR) / name, fs::path(programFolder()) / name);
    view.setText(Control::txtTimeout, "50");
    view.setText(Control::txtRetry, "2");
    view.setText(Control::txtCOM, std::to_string(kPort));
    view.setListIndex(Control::cboBaudRate, 1);
    view.setText(Control::txtCaminho, outputFolder() + "/");
}

DownloadRig::~DownloadRig()
{
    lib().close_comm();
    device.stop();
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

bool DownloadRig::start(std::string* why)
{
    if (!device.start(why))
        return false;
    const std::string ports = m_root + "/ports";
    if (!device.linkAsPort(ports, kPort, why))
        return false;
    ::setenv("KESTRUNE_PORTS", ports.c_str(), 1);
    return true;
}

void DownloadRig::connect()
{
    if (lib().open_comm(kPort) != 4)
        throw std::runtime_error("the simulated port did not open");
    lib().set_baud(9600, 2);
    lib().set_timeout(10000, 50, 1, 5000, 1000);
    values.PortaAberta = true;
}

KestruneApi& DownloadRig::lib()
{
    static DynamicKestrune library(LOGEXPORT_KESTRUNE_PATH);
    return library;
}

ControllerContext DownloadRig::context()
{
    auto pause = [this](int ms) {
        sleeps.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    return {{lib(), prompts, store, clock, programFolder(), pause, programFolder() + "/"},
            view,
            values};
}

std::vector<std::string> DownloadRig::outputFiles() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(outputFolder()))
        names.push_back(entry.path().filename().string());
    return names;
}

namespace {

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t'))
        cells.push_back(cell);
    if (!line.empty() && line.back() == '\t')
        cells.emplace_back();
    return cells;
}

} // namespace

std::vector<Row> readLogTable(const std::string& path)
{
    const std::string command = "mdb-export -Q -d '\t' '" + path + "' LOG";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run mdb-export");
    std::string text;
    std::array<char, 65536> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        text.append(buf.data(), n);
    if (::pclose(pipe) != 0)
        throw std::runtime_error("mdb-export failed on " + path);
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = splitTabs(line);
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        const std::vector<std::string> cells = splitTabs(line);
        Row row;
        for (std::size_t i = 0; i < header.size(); ++i)
            row[header[i]] = i < cells.size() ? cells[i] : std::string();
        rows.push_back(std::move(row));
    }
    return rows;
}
