// The report's C++ half on files our downloads wrote: reading both logs, the
// header's counts, the summary, the CSV's bytes, the page's data, and the
// files that give no report, through the library and through logqvr-report.
#include "commandline.h"
#include "logfiles.h"
#include "mdb/dao.h"
#include "report/csvwriter.h"
#include "report/filestamp.h"
#include "report/htmlreport.h"
#include "report/logtable.h"
#include "report/logtime.h"
#include "report/reportfile.h"
#include "report/reportmodel.h"
#include "simulator.h"
#include "templatebuilder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>

using namespace report;
using reporttest::record;
namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesOf(std::span<const mdbgen::LogColumn> columns)
{
    std::vector<std::string> names;
    for (const auto& c : columns)
        names.push_back(c.name);
    return names;
}

std::vector<std::string> namesOf(const LogTable& table)
{
    std::vector<std::string> names;
    for (const auto& c : table.columns)
        names.push_back(c.name);
    return names;
}

logexport::DataLogWords erased()
{
    logexport::DataLogWords w;
    w.fill(0xFFFF);
    return w;
}

using Reports = reporttest::LogFiles;

} // namespace

TEST_F(Reports, ReadsBothLogsAsTheDownloadsWroteThem)
{
    const LogTable data =
        readLogTable(dataLog("d.mdb", {record(5, 3, 24, 14, 5, 9, 3, 253), erased()}));
    EXPECT_EQ(data.kind, LogKind::Data);
    EXPECT_EQ(namesOf(data), namesOf(mdbgen::dataLogColumns()));
    EXPECT_EQ(dataLogColumnNames(), namesOf(mdbgen::dataLogColumns()));
    ASSERT_EQ(data.rows.size(), 2u);
    EXPECT_EQ(std::get<std::string>(data.rows[0][0]), "05/03/24");
    EXPECT_EQ(std::get<std::string>(data.rows[0][4]), "| Tempo| Alarmes");
    EXPECT_EQ(std::get<double>(data.rows[0][5]), 25.3);
    EXPECT_EQ(std::get<std::string>(data.rows[1][0]), "255/255/255");
    EXPECT_EQ(std::get<int32_t>(data.rows[1][40]), 65535);

    std::vector<logexport::ResetLogWords> entries;
    for (auto [version, release] : {std::pair{124, 4}, {124, 4}, {124, 5}, {130, 1}}) {
        auto e = sim::makeResetEntry(static_cast<int>(entries.size()));
        e[4] = static_cast<uint16_t>(version);
        e[5] = static_cast<uint16_t>(release);
        e[25] = sim::recordCrc(e.data(), 25);
        entries.push_back(e);
    }
    const LogTable reset = readLogTable(resetLog("r.mdb", entries));
    EXPECT_EQ(reset.kind, LogKind::Reset);
    EXPECT_EQ(namesOf(reset), namesOf(mdbgen::resetLogColumns()));
    EXPECT_EQ(resetLogColumnNames(), namesOf(mdbgen::resetLogColumns()));
    EXPECT_EQ(reset.rows.size(), 4u);
    const ReportModel model = buildModel("r.mdb", reset);
    ASSERT_EQ(model.firmware.size(), 3u);
    EXPECT_EQ(model.firmware[0].version + "." + model.firmware[0].release, "124.4");
    EXPECT_EQ(model.firmware[0].count, 2);
    EXPECT_EQ(model.firmware[2].version + "." + model.firmware[2].release, "130.1");
    EXPECT_EQ(model.badCrc, 0);

    // A download that found nothing leaves an empty table: a report all the same.
    const LogTable empty = readLogTable(dataLog("vazio.mdb", {}));
    EXPECT_TRUE(empty.rows.empty());
    const ReportModel none = buildModel("vazio.mdb", empty);
    EXPECT_FALSE(none.first);
    EXPECT_EQ(none.summary.front().count, 0);
    const std::string headerOnly = csvText(empty);
    EXPECT_EQ(std::count(headerOnly.begin(), headerOnly.end(), '\n'), 1);
}

TEST_F(Reports, HeaderCountsAndSummaryLeaveOutWhatHasNoRealTime)
{
    auto badCrc = record(5, 3, 24, 15, 0, 0, 4, 999);
    badCrc[40] ^= 1;
    const bool erasedCrcBad = sim::recordCrc(erased().data(), 40) != 0xFFFF;
    const std::string file = dataLog("LOG_QVR_END7_2024_03_06_08_00_01_PARCIAL.mdb",
                                     {record(5, 3, 24, 14, 5, 9, 1 | 2, 253),
                                      erased(),
                                      badCrc,
                                      record(5, 3, 24, 13, 0, 0, 1, -15), // clock set back
                                      record(6, 3, 24, 0, 0, 0, 8 | 16, 400),
                                      record(31, 2, 24, 1, 0, 0, 0, -999)}); // no such day
    const LogTable table = readLogTable(file);
    const ReportModel m = buildModel(file, table);
    EXPECT_EQ(m.fileName, "LOG_QVR_END7_2024_03_06_08_00_01_PARCIAL.mdb");
    EXPECT_EQ(m.stamp, (FileStamp{"7", "06/03/2024", "08:00:01", true}));
    EXPECT_EQ(m.badCrc, 1 + erasedCrcBad);
    EXPECT_EQ(m.erased, 1);
    EXPECT_EQ(m.undated, 2);
    EXPECT_EQ(m.uncharted, 3);
    EXPECT_EQ(m.backwards, 1);
    EXPECT_EQ(formatLogTime(*m.first), "05/03/2024 13:00:00");
    EXPECT_EQ(formatLogTime(*m.last), "06/03/2024 00:00:00");
    // The erased record carries every reason bit.
    EXPECT_EQ(m.reasons, (std::array<int, 5>{3, 2, 2, 2, 2}));

    const auto tamb = std::find_if(m.summary.begin(), m.summary.end(), [&](const ColumnSummary& s) {
        return table.columns[static_cast<std::size_t>(s.column)].name == "TAMB";
    });
    ASSERT_NE(tamb, m.summary.end());
    EXPECT_EQ(tamb->count, 3);
    EXPECT_EQ(tamb->min, -1.5);
    EXPECT_EQ(tamb->minRow, 3);
    EXPECT_EQ(tamb->max, 40.0);
    EXPECT_EQ(tamb->maxRow, 4);
    EXPECT_NEAR(tamb->mean, (25.3 - 1.5 + 40.0) / 3, 1e-9);
    for (const ColumnSummary& s : m.summary)
        EXPECT_NE(table.columns[static_cast<std::size_t>(s.column)].name, "CRC");

    // Times and reasons per row, as the page's script receives them.
    const std::string page = pageData(table, m);
    EXPECT_NE(page.find("\"t\":[1709647509,null,1709650800,1709643600,1709683200,null]"),
              std::string::npos)
        << page.substr(page.find("\"t\":"));
    EXPECT_NE(page.find("\"r\":[3,31,4,1,24,0],\"ok\":[1,"), std::string::npos);
}

TEST_F(Reports, CsvIsWhatASpreadsheetInPortugueseReads)
{
    const std::string file = dataLog("d.mdb", {record(5, 3, 24, 14, 5, 9, 2 | 4, -15)});
    {
        // Texts a spreadsheet would split or misread, set by hand.
        auto db = mdb::dbEngine().OpenDatabase(file, false, false, ";PWD=");
        auto rs = db->OpenRecordset("LOG");
        rs->AddNew();
        rs->Fields("Data") = std::string("a;b");
        rs->Fields("Motivo Gravação") = std::string("diz \"oi\"");
        rs->Fields("Reles") = std::string("x\ny");
        rs->Update();
        db->Close();
    }
    const std::string crc =
        std::to_string(sim::recordCrc(record(5, 3, 24, 14, 5, 9, 6, -15).data(), 40));
    const std::string expected =
        "\xEF\xBB\xBF"
        "Data;Hora;UTC;Qtde Variaveis;Motivo Gravação;TAMB;TMEC;VMT_1;VMT_2;VMT_3;IMT_1;IMT_2;"
        "IMT_3;IAQMEC;IL;V1;NTCT_1;NTCT_2;NTCM_1;NTCM_2;NTCMED;ITCT_1;ITCT_2;ITCM_1;ITCM_2;ITCMED;"
        "TTCTOT;TTCMAN;TOMT;POSTC;POSTCANT;OSMTNS_1;OSMTNS_2;UOSC;Autodiagnostico (1);"
        "Autodiagnostico (2);Alarmes (1);Alarmes (2);Alarmes (3);Reles;CRC;CRC_Valido\r\n"
        "05/03/24;14:05:09;0;0;| Alarmes| "
        "Erros;-1,5;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;"
        "0;0;0;0;0x0000;0x0000;0x0000;0x0000;0x0000;0x0000;" +
        crc + ";1\r\n" + "\"a;b\";;;;\"diz \"\"oi\"\"\";" +
        // TAMB to "Alarmes (3)" empty, then "Reles", "CRC", "CRC_Valido".
        std::string(34, ';') + "\"x\ny\";;\r\n";
    EXPECT_EQ(csvText(readLogTable(file)), expected);
}

TEST(ReportTexts, DatesTimesAndNamesAsTheDownloadsWriteThem)
{
    struct Case {
        const char* data;
        const char* hora;
        std::optional<int64_t> seconds;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"01/01/70", "00:00:00", 3155760000}, // two-digit years are this century's
             {"29/02/24", "23:59:59", 1709251199},
             {"31/12/99", "12:00:00", 4102401600},
             {"29/02/23", "00:00:00", std::nullopt},
             {"255/255/255", "255:255:255", std::nullopt},
             {"05/03/24", "24:00:00", std::nullopt},
             {"5/3/24", "14:05:09", std::nullopt},
             {"", "", std::nullopt}})
        EXPECT_EQ(logTime(c.data, c.hora), c.seconds) << c.data << " " << c.hora;
    EXPECT_EQ(formatLogTime(1709251199), "29/02/2024 23:59:59");

    struct Name {
        const char* path;
        std::optional<FileStamp> stamp;
    };
    for (const Name& n :
         std::initializer_list<Name>{{"/x/LOG_QVR_END1_2024_03_05_14_05_09.mdb",
                                      FileStamp{"1", "05/03/2024", "14:05:09", false}},
                                     {"C:\\L\\LOG_RESET_QVR_END12_2025_12_31_23_59_00_PARCIAL.mdb",
                                      FileStamp{"12", "31/12/2025", "23:59:00", true}},
                                     {"LOG_QVR_END_1_2024_03_05_14_05_09.mdb",
                                      FileStamp{"_1", "05/03/2024", "14:05:09", false}},
                                     {"LOG_QVR_END1_2024_03_05_14_05.mdb", std::nullopt},
                                     {"LOG_QVR_END_2024_03_05_14_05_09.mdb", std::nullopt},
                                     {"copia.mdb", std::nullopt},
                                     {"LOG_QVR_END1_2024_03_05_14_05_09.html", std::nullopt}})
        EXPECT_EQ(fileStamp(n.path), n.stamp) << n.path;

    EXPECT_EQ(csvField("0x00A5"), "0x00A5");
    EXPECT_EQ(csvField("a\rb"), "\"a\rb\"");
}

TEST_F(Reports, FilesThatGiveNoReportAreToldAndLeaveNothing)
{
    const std::string good = dataLog("bom.mdb", {record(5, 3, 24, 14, 5, 9, 1)});
    const std::vector<uint8_t> bytes = [&] {
        std::ifstream in(good, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    auto write = [this](const std::string& name, const std::vector<uint8_t>& b) {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return path(name);
    };
    std::vector<uint8_t> garbled = bytes;
    for (std::size_t i = 19 * 4096; i < 20 * 4096; ++i)
        garbled[i] ^= 0xA5; // the table's definition
    const auto otherColumns = std::vector<mdbgen::LogColumn>{{"Nome", mdbgen::ColumnKind::Text},
                                                             {"Valor", mdbgen::ColumnKind::Long}};
    struct Case {
        std::string file;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {path("nada.mdb"), "não foi encontrado"},
        {dir(), "não foi encontrado"},
        {write("texto.mdb", {'o', 'i', '\n'}), "não é um banco de dados do Access"},
        {write("cortado.mdb", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10000)),
         "não é um banco de dados do Access"},
        {write("metade.mdb", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20 * 4096)),
         "danificado"},
        {write("estragado.mdb", garbled), "danificado"},
        {write("outro.mdb", mdbgen::buildTemplate(otherColumns)), "não é um arquivo de LOG"},
        {good, "exclusividade"},
    };
    auto held = mdb::dbEngine().OpenDatabase(good, true, true, ";PWD=");
    const std::vector<std::string> before = folderContents();
    std::string command = std::string(REPORT_COMMAND);
    for (const Case& c : cases) {
        const std::string told = "Não foi possível gerar o relatório de \"" + c.file + "\": ";
        try {
            writeReport(c.file, path("saida.html"), path("saida.csv"));
            ADD_FAILURE() << c.file << " gave a report";
        } catch (const ReportError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(told, 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        command += " '" + c.file + "'";
    }
    // The command goes on past each failure and says each one.
    FILE* pipe = ::popen((command + " --pasta '" + dir() + "' --csv 2>&1").c_str(), "r");
    std::string said;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, pipe))
        said += buf;
    const int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
    for (const Case& c : cases)
        EXPECT_NE(said.find("\"" + c.file + "\": "), std::string::npos) << said;
    EXPECT_EQ(folderContents(), before);
    held->Close();
}

TEST_F(Reports, DamagedCopiesEndInAReasonNeverACrash)
{
    std::vector<logexport::DataLogWords> records;
    for (int n = 0; n < 300; ++n)
        records.push_back(sim::makeRecord(n));
    const std::string good = dataLog("bom.mdb", records);
    std::ifstream in(good, std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    std::mt19937 random(17);
    int read = 0, refused = 0;
    for (int round = 0; round < 150; ++round) {
        std::vector<char> copy = bytes;
        if (round % 3 == 0) {
            copy.resize(random() % copy.size());
        } else {
            // Bursts of noise over the pages after the header.
            for (int hits = 1 + static_cast<int>(random() % 8); hits > 0; --hits) {
                const std::size_t at = 4096 + random() % (copy.size() - 4096);
                for (std::size_t k = at; k < std::min(copy.size(), at + 1 + random() % 16); ++k)
                    copy[k] = static_cast<char>(random());
            }
        }
        std::ofstream(path("fuzz.mdb"), std::ios::binary | std::ios::trunc)
            .write(copy.data(), static_cast<std::streamsize>(copy.size()));
        try {
            const LogTable table = readLogTable(path("fuzz.mdb"));
            buildModel(path("fuzz.mdb"), table);
            ++read;
        } catch (const ReportError& e) {
            EXPECT_FALSE(std::string(e.what()).empty());
            ++refused;
        }
    }
    // Both outcomes occur, or the noise missed what it was meant to hit.
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(Reports, PageIsTheSameForTheSameLogAndGoesBesideOrToTheUsersFolder)
{
    const std::string file =
        dataLog("LOG_QVR_END1_2024_03_05_14_05_09.mdb", {record(5, 3, 24, 14, 5, 9, 1, 253)});
    const Written first = writeReportBesideOrIn(file, path("own"));
    EXPECT_EQ(first.html, path("LOG_QVR_END1_2024_03_05_14_05_09.html"));
    const std::string page = readFile(first.html);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"pt-BR\">", 0), 0u);
    EXPECT_NE(page.find("Content-Security-Policy\" content=\"default-src 'none';"),
              std::string::npos);
    EXPECT_NE(page.find("<tr><td>Endereço do dispositivo</td><td>1</td></tr>"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>TAMB</td><td>25,3</td><td>05/03/2024 14:05:09</td>"),
              std::string::npos);
    EXPECT_NE(page.find("Permission is hereby granted"),
              std::string::npos); // the library's licence

    // A name that cannot be written beside the log (here a folder holds it)
    // sends the page to the user's own folder, made on the way.
    fs::remove(first.html);
    fs::create_directory(first.html);
    const Written second = writeReportBesideOrIn(file, path("own/relatorios"));
    EXPECT_EQ(second.html, path("own/relatorios/LOG_QVR_END1_2024_03_05_14_05_09.html"));
    EXPECT_EQ(readFile(second.html), page);
}

TEST(ReportCommand, ArgumentsMakeACommandOrSayWhatIsWrong)
{
    std::string error;
    auto c = parseReportCommand({"a.mdb", "b.mdb", "--pasta", "out", "--csv", "--abrir"}, error);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->files, (std::vector<std::string>{"a.mdb", "b.mdb"}));
    EXPECT_EQ(c->folder, "out");
    EXPECT_TRUE(c->csv && c->open && !c->output);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"-o"},
                                               {"a.mdb", "b.mdb", "-o", "x.html"},
                                               {"a.mdb", "-o", "x", "--pasta", "y"},
                                               {"-o", "a.MDB", "b.mdb"},
                                               {"a.mdb", "-o", "x.csv", "--csv"},
                                               {"a.mdb", "--nada"}}) {
        error.clear();
        EXPECT_FALSE(parseReportCommand(args, error));
        EXPECT_FALSE(error.empty());
    }
}
