// The scene both download benchmarks play on: a private folder holding a
// program folder with the data template and an output folder, and the
// simulated device linked as a port the library finds there. Everything goes
// with the rig.
#pragma once

#include "simulator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class BenchRig {
public:
    ~BenchRig()
    {
        device.stop();
        std::error_code ec;
        if (!root.empty())
            std::filesystem::remove_all(root, ec);
    }

    // False, with the reason on stderr, when the host gives no folder or no
    // pseudo-terminal.
    bool start(const std::string& name, int port)
    {
        std::string pattern = "/tmp/" + name + "_XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return false;
        }
        root = pattern;
        programFolder = root + "/program";
        outputFolder = root + "/out/";
        std::filesystem::create_directories(programFolder);
        std::filesystem::create_directories(outputFolder);
        std::filesystem::copy_file(std::filesystem::path(BENCH_TEMPLATE_DIR) / "LOG_QVR.mdb",
                                   programFolder + "/LOG_QVR.mdb");
        std::string why;
        if (!device.start(&why) || !device.linkAsPort(root + "/ports", port, &why)) {
            std::fprintf(stderr, "no simulated device: %s\n", why.c_str());
            return false;
        }
        ::setenv("KESTRUNE_PORTS", (root + "/ports").c_str(), 1);
        return true;
    }

    std::string root;
    std::string programFolder; // without a trailing separator
    std::string outputFolder;  // with one, as "Caminho" holds it
    sim::Simulator device;
};
