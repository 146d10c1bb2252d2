// Times one data-log export through the engine: open a copy of the data
// template, clear it, add 10380 rows of plausible values, close, copy.
// Prints the time of each step and the output size.
#include "mdb/copy.h"
#include "mdb/dao.h"
#include "templatebuilder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string hex4(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v & 0xFFFF);
    return buf;
}

void addRecord(mdb::Recordset& rs, int n)
{
    static const char* const kNames[] = {"Data", "Hora"};
    char date[16];
    char time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%02d", 1 + n % 28, 1 + n % 12, 24);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", n % 24, n % 60, (n * 7) % 60);
    rs.AddNew();
    rs.Fields(kNames[0]) = std::string(date);
    rs.Fields(kNames[1]) = std::string(time);
    rs.Fields("UTC") = int32_t{-3};
    rs.Fields("Qtde Variaveis") = int16_t{41};
    rs.Fields("Motivo Gravação") = std::string(n % 5 == 0 ? "| Tempo| Alarmes" : "| Tempo");
    const char* const tenths[] =
        {"TAMB", "TMEC", "VMT_1", "VMT_2", "VMT_3", "IAQMEC", "IL", "V1", "NTCMED", "TOMT"};
    for (int i = 0; i < 10; ++i)
        rs.Fields(tenths[i]) = (n % 700 + i * 13) / 10.0;
    const char* const hundredths[] = {"IMT_1", "IMT_2", "IMT_3", "ITCMED"};
    for (int i = 0; i < 4; ++i)
        rs.Fields(hundredths[i]) = (n % 5000 + i) / 100.0;
    const char* const longs[] = {"NTCT_1",
                                 "NTCT_2",
                                 "NTCM_1",
                                 "NTCM_2",
                                 "ITCT_1",
                                 "ITCT_2",
                                 "ITCM_1",
                                 "ITCM_2",
                                 "TTCTOT",
                                 "TTCMAN",
                                 "POSTC",
                                 "POSTCANT",
                                 "OSMTNS_1",
                                 "OSMTNS_2",
                                 "UOSC"};
    for (int i = 0; i < 15; ++i)
        rs.Fields(longs[i]) = int32_t{(n * 31 + i) % 65536};
    const char* const hexes[] = {"Autodiagnostico (1)",
                                 "Autodiagnostico (2)",
                                 "Alarmes (1)",
                                 "Alarmes (2)",
                                 "Alarmes (3)",
                                 "Reles"};
    for (int i = 0; i < 6; ++i)
        rs.Fields(hexes[i]) = hex4(static_cast<unsigned>(n * 97 + i));
    rs.Fields("CRC") = int32_t{(n * 7919) % 65536};
    rs.Fields("CRC_Valido") = int16_t{1};
    rs.Update();
}

void clearTable(mdb::Recordset& rs)
{
    // The download's clearing routine: every step's error is ignored.
    auto attempt = [](auto&& f) {
        try {
            f();
        } catch (const mdb::Error&) {
        }
    };
    attempt([&] { rs.MoveFirst(); });
    while (!rs.Eof()) {
        attempt([&] { rs.Delete(); });
        attempt([&] { rs.MoveLast(); });
        attempt([&] { rs.MoveFirst(); });
    }
}

} // namespace

int main()
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("bench_mdb_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string path = (dir / "LOG_QVR.mdb").string();
    {
        auto bytes = mdbgen::buildTemplate(mdbgen::dataLogColumns());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    constexpr int kRows = 10380;
    double total = 0;
    for (int run = 1; run <= 2; ++run) {
        auto t0 = Clock::now();
        auto db = mdb::dbEngine().OpenDatabase(path, false, false, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        double open = msSince(t0);
        auto t1 = Clock::now();
        clearTable(*rs);
        double clear = msSince(t1);
        auto t2 = Clock::now();
        for (int n = 1; n <= kRows; ++n)
            addRecord(*rs, n);
        double add = msSince(t2);
        auto t3 = Clock::now();
        rs->Close();
        db->Close();
        double close = msSince(t3);
        auto t4 = Clock::now();
        std::string out = (dir / "LOG_QVR_END1_copy.mdb").string();
        mdb::copyDatabase(path, out);
        double copy = msSince(t4);
        total = open + clear + add + close + copy;
        std::printf("run %d: open %.1f ms, clear %.1f ms, add %d rows %.1f ms, close %.1f ms, "
                    "copy %.1f ms, total %.1f ms, output %ju bytes\n",
                    run,
                    open,
                    clear,
                    kRows,
                    add,
                    close,
                    copy,
                    total,
                    static_cast<uintmax_t>(fs::file_size(out)));
    }
    fs::remove_all(dir);
    return total <= 500.0 ? 0 : 1;
}
