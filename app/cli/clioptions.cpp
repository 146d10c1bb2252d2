#include "clioptions.h"

#include <algorithm>
#include <cctype>
#include <map>

const char* const kCliUsage =
    "Uso: logqvr-cli [OPÇÃO]...\n"
    "Lê o LOG de um equipamento QVR/KPW sem janela, para scripts e tarefas agendadas:\n"
    "conecta e identifica o equipamento, e grava os arquivos que o LOG_QVR gravaria,\n"
    "com os mesmos nomes e conteúdos. Sem --dados nem --reset, só conecta e mostra o\n"
    "equipamento (firmware, revisão, número de série, Opcional de Log, ponteiro).\n"
    "\n"
    "Cada opção de conexão omitida vale o que o LOG_QVR guardou na última conexão\n"
    "(as mesmas chaves); o comando não muda essas configurações.\n"
    "  --com N           a porta serial (Porta COM)\n"
    "  --endereco N      o endereço Modbus do equipamento\n"
    "  --baudrate N      a posição na lista, como o LOG_QVR a guarda (0=4800,\n"
    "                    1=9600, 2=19200, 3=38400, 4=56000, 5=115200), ou a taxa\n"
    "                    em baud (por exemplo 9600)\n"
    "  --retries N       tentativas por leitura\n"
    "  --timeout MS      tempo de espera de cada leitura, em milissegundos\n"
    "  --caminho PASTA   a pasta dos arquivos gravados\n"
    "  --dados inteira       lê a memória inteira do LOG de dados\n"
    "  --dados ultimos:N     lê os últimos N registros\n"
    "  --dados de:A-B        lê do registro A ao registro B\n"
    "  --dados novos         lê o que ainda não foi salvo deste equipamento: do\n"
    "                        registro seguinte ao último salvo até o último gravado,\n"
    "                        quando esse registro ainda confere no equipamento; sem\n"
    "                        memória do equipamento, ou com uma que não confere, a\n"
    "                        memória inteira. Cada arquivo gravado move a memória,\n"
    "                        como na janela\n"
    "  --reset           lê também o LOG de reset\n"
    "  --relatorio       grava o relatório (.html) ao lado de cada arquivo .mdb\n"
    "  --csv             grava o CSV de todos os registros ao lado de cada .mdb\n"
    "  --parcial         guarda o que foi lido (arquivo _PARCIAL) quando a leitura\n"
    "                    para antes do fim; sem ela, nada é guardado\n"
    "  --json            no fim, um objeto JSON na saída padrão: o equipamento, os\n"
    "                    arquivos gravados, a faixa lida, os segundos e o resultado\n"
    "  --silencioso      sem progresso e sem mensagens de informação; só os avisos\n"
    "                    e os erros vão para a saída de erros\n"
    "  --help            mostra esta ajuda e sai\n"
    "  --version         mostra a versão e sai\n"
    "\n"
    "As mensagens que o LOG_QVR mostra em caixas vão para a saída de erros, com as\n"
    "mesmas palavras. Num terminal, uma linha mostra o progresso. Ctrl+C (ou SIGTERM)\n"
    "cancela como \"Cancelar\": o registro em curso termina e o modelo é fechado.\n"
    "\n"
    "Códigos de saída (com vários passos, vale a primeira falha):\n"
    "  0  concluído\n"
    "  2  uso errado: opções, ou campos guardados, que não formam um comando\n"
    "  3  a porta não abriu (o motivo, como na segunda linha da caixa do LOG_QVR)\n"
    "  4  o equipamento não respondeu, uma leitura falhou (também a do último\n"
    "     registro salvo, que --dados novos relê), ou ele não tem o Opcional de\n"
    "     Log que --dados pede\n"
    "  5  um arquivo não pôde ser gravado (o erro do motor de banco de dados),\n"
    "     ou a memória do último registro salvo não pôde ser guardada\n"
    "  6  cancelado\n";

namespace {

bool wholeNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// "ultimos:N", "de:A-B", "inteira" or "novos" into the options.
bool parseDados(const std::string& value, CliOptions& c)
{
    c.dadosArgument = value;
    if (value == "inteira" || value == "novos") {
        c.dados = value == "novos" ? DataChoice::Novos : DataChoice::Inteira;
        return true;
    }
    if (value.starts_with("ultimos:") && wholeNumber(value.substr(8))) {
        c.dados = DataChoice::Ultimos;
        c.ultimos = value.substr(8);
        return true;
    }
    const std::size_t dash = value.find('-');
    if (value.starts_with("de:") && dash != std::string::npos &&
        wholeNumber(value.substr(3, dash - 3)) && wholeNumber(value.substr(dash + 1))) {
        c.dados = DataChoice::DeAte;
        c.de = value.substr(3, dash - 3);
        c.ate = value.substr(dash + 1);
        return true;
    }
    return false;
}

} // namespace

std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error)
{
    CliOptions c;
    const std::map<std::string, std::optional<std::string> CliOptions::*> fields = {
        {"--com", &CliOptions::com},
        {"--endereco", &CliOptions::endereco},
        {"--baudrate", &CliOptions::baudrate},
        {"--retries", &CliOptions::retries},
        {"--timeout", &CliOptions::timeout},
        {"--caminho", &CliOptions::caminho},
    };
    const std::map<std::string, bool CliOptions::*> flags = {
        {"--reset", &CliOptions::reset},
        {"--relatorio", &CliOptions::relatorio},
        {"--csv", &CliOptions::csv},
        {"--parcial", &CliOptions::parcial},
        {"--json", &CliOptions::json},
        {"--silencioso", &CliOptions::silencioso},
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('=');
            name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (const auto flag = flags.find(name); flag != flags.end() && !value) {
            c.*(flag->second) = true;
            continue;
        }
        const auto field = fields.find(name);
        if (field == fields.end() && name != "--dados") {
            error = "opção desconhecida: " + args[i];
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                error = name + " pede um valor.";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (name == "--dados") {
            if (!parseDados(*value, c)) {
                error =
                    "--dados aceita inteira, ultimos:N, de:A-B ou novos, não \"" + *value + "\".";
                return std::nullopt;
            }
        } else if (name == "--caminho" ? value->empty() : !wholeNumber(*value)) {
            error =
                name + (name == "--caminho" ? " pede uma pasta."
                                            : " pede um número inteiro, não \"" + *value + "\".");
            return std::nullopt;
        } else {
            c.*(field->second) = *value;
        }
    }
    return c;
}
