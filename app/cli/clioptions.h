// What logqvr-cli was asked to do: the window's fields it overrides (each
// option is named after the settings key that stores its field), the
// data-log range as the window's options choose it, and what to write and
// tell. Parsing only: the range rules themselves are the download's.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Novos: the records not yet saved from this device, as its memory knows them.
enum class DataChoice { None, Inteira, Ultimos, DeAte, Novos };

struct CliOptions {
    // The fields' texts; none keeps what the window stored.
    std::optional<std::string> com;
    std::optional<std::string> endereco;
    // A position in the list (0 to 5, as "Baudrate" stores it) or a rate.
    std::optional<std::string> baudrate;
    std::optional<std::string> retries;
    std::optional<std::string> timeout;
    std::optional<std::string> caminho;

    DataChoice dados = DataChoice::None;
    std::string ultimos;       // N of ultimos:N
    std::string de, ate;       // A and B of de:A-B
    std::string dadosArgument; // as given, for the record of the run

    bool reset = false;
    bool relatorio = false;
    bool csv = false;
    bool parcial = false;
    bool json = false;
    bool silencioso = false;
};

// Nothing, with the reason in `error`, for arguments that make no command.
// "--help" and "--version" are the caller's, alone.
std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kCliUsage;
