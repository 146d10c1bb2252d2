#include "commandline.h"

#include "core/pathseparator.h"
#include "report/logtable.h"
#include "report/reportfile.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

bool hasExtension(const std::string& name, std::string_view extension)
{
    return name.size() > extension.size() &&
           std::equal(extension.rbegin(), extension.rend(), name.rbegin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

const char* const kReportUsage =
    "Uso: logqvr-report ARQUIVO.mdb... [-o SAIDA.html | --pasta PASTA] [--csv] [--abrir]\n"
    "Grava o relatório de cada LOG (LOG de dados ou de reset) ao lado do arquivo, com o\n"
    "mesmo nome e .html.\n"
    "  -o SAIDA.html   grava o relatório de um único arquivo neste nome\n"
    "  --pasta PASTA   grava os relatórios nesta pasta\n"
    "  --csv           grava também o CSV de todos os registros, ao lado do relatório\n"
    "  --abrir         abre cada relatório no navegador\n"
    "  --help          mostra esta ajuda e sai\n"
    "  --version       mostra a versão e sai\n"
    "\n"
    "Sai com 0 quando todos os relatórios foram gravados, 1 quando algum não foi (o motivo\n"
    "vai para a saída de erros) e 2 quando os argumentos não formam um comando.\n";

std::optional<ReportCommand> parseReportCommand(const std::vector<std::string>& args,
                                                std::string& error)
{
    ReportCommand c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--pasta") {
            if (i + 1 == args.size()) {
                error = a + " pede um nome.";
                return std::nullopt;
            }
            (a == "-o" ? c.output : c.folder) = args[++i];
        } else if (a == "--csv") {
            c.csv = true;
        } else if (a == "--abrir") {
            c.open = true;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "opção desconhecida: " + a;
            return std::nullopt;
        } else {
            c.files.push_back(a);
        }
    }
    if (c.files.empty())
        error = "nenhum arquivo .mdb dado.";
    else if (c.output && c.folder)
        error = "-o e --pasta não vão juntos.";
    else if (c.output && c.files.size() > 1)
        error = "-o serve a um único arquivo; para vários, use --pasta.";
    // "-o A.mdb B.mdb" would replace the log A.mdb with B's page, and
    // "-o x.csv --csv" the page with its own CSV, each told as written.
    else if (c.output && hasExtension(*c.output, ".mdb"))
        error = "-o pede o nome do relatório (.html), não o de um arquivo .mdb.";
    else if (c.output && c.csv && hasExtension(*c.output, ".csv"))
        error = "com --csv, o CSV iria sobre o relatório: dê a -o um nome terminado em .html.";
    else
        return c;
    return std::nullopt;
}

int runReportCommand(const ReportCommand& c,
                     std::string& out,
                     std::string& err,
                     const std::function<bool(const std::string&)>& open)
{
    int failures = 0;
    for (const std::string& file : c.files) {
        std::string html = report::besideLog(file, ".html");
        if (c.output)
            html = *c.output;
        else if (c.folder)
            html = *c.folder + kPathSeparator + report::reportFileName(file, ".html");
        std::optional<std::string> csv;
        if (c.csv)
            csv = report::besideLog(html, ".csv");
        try {
            const report::Written written = report::writeReport(file, html, csv);
            out += written.html + "\n";
            if (written.csv)
                out += *written.csv + "\n";
            if (c.open && !open(written.html))
                err += "Não foi possível abrir o navegador; o relatório está em \"" + written.html +
                       "\".\n";
        } catch (const report::ReportError& e) {
            err += std::string(e.what()) + "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
