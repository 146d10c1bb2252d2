// The command's plain parts: its options, its progress line, and the
// settings file's text as QSettings writes and reads it.
#include "clioptions.h"
#include "connection/inifile.h"
#include "progressline.h"

#include <gtest/gtest.h>

namespace {

TEST(CliOptions, ParsesWhatAScriptWritesAndRefusesTheRest)
{
    struct Case {
        std::vector<std::string> args;
        const char* error; // nullptr: parses
    };
    const Case cases[] = {
        {{}, nullptr},
        {{"--com",
          "3",
          "--endereco=2",
          "--baudrate",
          "9600",
          "--retries",
          "3",
          "--timeout",
          "150",
          "--caminho",
          "/srv/logs",
          "--dados",
          "de:10370-5",
          "--reset",
          "--relatorio",
          "--csv",
          "--parcial",
          "--json",
          "--silencioso"},
         nullptr},
        {{"--dados", "ultimos:0"}, nullptr},
        {{"--dados", "ultimos:"}, "--dados aceita"},
        {{"--dados", "de:5"}, "--dados aceita"},
        {{"--dados", "de:-5"}, "--dados aceita"},
        {{"--dados", "inteiro"}, "--dados aceita"},
        {{"--com"}, "--com pede um valor."},
        {{"--com", "COM3"}, "--com pede um número inteiro"},
        {{"--timeout", "-5"}, "--timeout pede um número inteiro"},
        {{"--caminho="}, "--caminho pede uma pasta."},
        {{"--reset=sim"}, "opção desconhecida: --reset=sim"},
        {{"arquivo.mdb"}, "opção desconhecida: arquivo.mdb"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<CliOptions> parsed = parseCliOptions(c.args, error);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        if (c.error) {
            EXPECT_FALSE(parsed);
            EXPECT_TRUE(error.starts_with(c.error)) << error;
        } else {
            EXPECT_TRUE(parsed) << error;
        }
    }

    std::string error;
    const CliOptions all = *parseCliOptions(cases[1].args, error);
    EXPECT_EQ(all.com, "3");
    EXPECT_EQ(all.endereco, "2");
    EXPECT_EQ(all.baudrate, "9600");
    EXPECT_EQ(all.caminho, "/srv/logs");
    EXPECT_EQ(all.dados, DataChoice::DeAte);
    EXPECT_EQ(all.de, "10370");
    EXPECT_EQ(all.ate, "5");
    EXPECT_TRUE(all.reset && all.relatorio && all.csv && all.parcial && all.json && all.silencioso);
    const CliOptions none = *parseCliOptions({}, error);
    EXPECT_FALSE(none.com || none.caminho || none.reset);
    EXPECT_EQ(none.dados, DataChoice::None);
}

TEST(ProgressLine, DrawsTheRowWhileItLivesAndSparesAFastLine)
{
    ProgressLine line;
    line.percent("0%");
    EXPECT_EQ(line.due(0.0), std::nullopt) << "nothing before the row is live";
    line.remaining("Calculando...");
    EXPECT_EQ(line.due(0.0), "0%    Calculando...");
    line.record("Lendo registro 7...");
    EXPECT_EQ(line.due(0.05), std::nullopt) << "a new record alone waits";
    EXPECT_EQ(line.due(0.25), "0%  Lendo registro 7...  Calculando...");
    line.record("Lendo registro 8...");
    line.percent("1%");
    EXPECT_EQ(line.due(0.26), "1%  Lendo registro 8...  Calculando...")
        << "a new percent is drawn at once";
    EXPECT_EQ(line.due(1.0), std::nullopt) << "nothing new";
    line.remaining("");
    EXPECT_EQ(line.due(1.01), "") << "the row ended: the line is cleared";
}

// As QSettings 6 writes them, each with the text it stands for.
struct Stored {
    const char* line;
    const char* value;
};

TEST(IniFile, ReadsValuesAsQSettingsDoes)
{
    const Stored cases[] = {
        {"plain", "plain"},
        {"  blanks around  ", "blanks around"},
        {"\"  quoted blanks \"", "  quoted blanks "},
        {"\"a;b,c=d\"", "a;b,c=d"},
        {"C:\\\\Logs\\\\", "C:\\Logs\\"},
        {"tab\\there\\n\\\"q\\\"", "tab\there\n\"q\""},
        {"\\x1\\x41",
         "\x01"
         "A"},
        {"\\101\\60", "A0"},
        {"Relat\xC3\xB3rio", "Relat\xC3\xB3rio"},
        {"@@at", "@at"},
        {"@String(wrapped)", "wrapped"},
        {"a, b", ""}, // a list: no text
        {"cut;comment", "cut"},
        {"", ""},
    };
    for (const Stored& c : cases) {
        const std::string file = "[Params]\nKey=" + std::string(c.line) + "\n";
        EXPECT_EQ(ini::readValue(file, "Params", "Key"), c.value) << c.line;
    }
    EXPECT_EQ(ini::readValue("[Params]\nKey=@Invalid()\n", "Params", "Key"), std::nullopt);
}

TEST(IniFile, FindsTheKeyOfItsGroupTheLastOneWinning)
{
    const std::string file = "\xEF\xBB\xBF; a comment\n[General]\nCOM=9\n\n[Other]\nCOM=8\n"
                             "[Params]\r\n  COM = 1\r\n;COM=2\r\nC%4FM=3\r\n"
                             "[Hist%F3rico]\nk%U00E9y=\"x\"\n";
    EXPECT_EQ(ini::readValue(file, "Params", "COM"), "3");
    EXPECT_EQ(ini::readValue(file, "Other", "COM"), "8");
    EXPECT_EQ(ini::readValue(file, "", "COM"), "9");
    EXPECT_EQ(ini::readValue(file, "Hist\xC3\xB3rico", "k\xC3\xA9y"), "x");
    EXPECT_EQ(ini::readValue(file, "Params", "Endereco"), std::nullopt);
    EXPECT_EQ(ini::readValue(file, "Historico", "key"), std::nullopt);
}

TEST(IniFile, ChangesOneLineAndLeavesEveryOtherByte)
{
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"", "[Historico]\nA=1\n"},
        {"[Params]\nCOM=1", "[Params]\nCOM=1\n\n[Historico]\nA=1\n"},
        {"[Historico]\nA=0\nB=2\n", "[Historico]\nA=1\nB=2\n"},
        {"[Historico]\nB=2\n\n[Params]\nCOM=1\n", "[Historico]\nB=2\nA=1\n\n[Params]\nCOM=1\n"},
        {"[Historico]\r\nA=0\r\nA=9\r\n", "[Historico]\r\nA=0\r\nA=1\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini::withValue(c.before, "Historico", "A", "1"), c.after) << c.before;
}

TEST(IniFile, EscapesAsQSettingsWrites)
{
    const Stored values[] = {
        {"plain", "plain"},
        {"\"a;b\"", "a;b"},
        {"\" lead\"", " lead"},
        {"\\\"q\\\\", "\"q\\"},
        {"\\t\\n", "\t\n"},
        {"\\x1\\x41",
         "\x01"
         "A"},
        {"@@x", "@x"},
        {"Relat\xC3\xB3rio", "Relat\xC3\xB3rio"},
    };
    for (const Stored& v : values)
        EXPECT_EQ(ini::escapedValue(v.value), v.line) << v.line;
    EXPECT_EQ(ini::escapedKey("12/345 \xC3\xA9\xE2\x82\xAC"), "12\\345%20%E9%U20AC");
}

} // namespace
