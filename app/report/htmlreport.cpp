#include "report/htmlreport.h"

#include "report/logtime.h"
#include "report/numbertext.h"
#include "report/pageassets.h"

#include <cmath>
#include <map>
#include <span>

namespace report {

namespace {

constexpr const char* kPolicy = "default-src 'none'; script-src 'unsafe-inline'; "
                                "style-src 'unsafe-inline'; img-src data: blob:";

struct Escape {
    char c;
    const char* as;
};

constexpr Escape kJsonEscapes[] = {
    {'"', "\\\""},
    {'\\', "\\\\"},
    {'\n', "\\n"},
    {'\r', "\\r"},
    {'\t', "\\t"},
    // "</script>" inside the data would end its element.
    {'<', "\\u003c"},
};
constexpr Escape kHtmlEscapes[] = {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}};

const char* escapeOf(char c, std::span<const Escape> escapes)
{
    for (const Escape& e : escapes) {
        if (e.c == c)
            return e.as;
    }
    return nullptr;
}

} // namespace

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (const char* as = escapeOf(c, kJsonEscapes)) {
            out += as;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

namespace {

std::string jsonNumber(const mdb::Value& v)
{
    const std::optional<double> n = number(v);
    return n && std::isfinite(*n) ? numberText(*n) : "null";
}

void appendColumnData(std::string& out, const LogTable& table, std::size_t c)
{
    if (table.columns[c].numeric) {
        out += '[';
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            if (r)
                out += ',';
            out += jsonNumber(table.rows[r][c]);
        }
        out += ']';
        return;
    }
    // Status words and dates repeat a lot: each distinct text once.
    std::map<std::string, std::size_t> index;
    std::string dict;
    std::string refs;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const mdb::Value& v = table.rows[r][c];
        std::string ref = "-1";
        if (!std::holds_alternative<std::monostate>(v)) {
            auto [it, fresh] = index.emplace(text(v), index.size());
            if (fresh) {
                if (it->second)
                    dict += ',';
                dict += jsonString(it->first);
            }
            ref = std::to_string(it->second);
        }
        if (r)
            refs += ',';
        refs += ref;
    }
    out += "{\"d\":[" + dict + "],\"i\":[" + refs + "]}";
}

std::string row(std::initializer_list<std::string> cells, const char* tag = "td")
{
    std::string out = "<tr>";
    for (const std::string& cell : cells) {
        out += '<';
        out += tag;
        out += '>';
        out += cell;
        out += "</";
        out += tag;
        out += '>';
    }
    return out + "</tr>\n";
}

std::string when(const std::optional<int64_t>& t)
{
    return t ? formatLogTime(*t) : "—";
}

std::string count(int n)
{
    return std::to_string(n);
}

std::string stampRows(const ReportModel& m)
{
    std::string out = row({"Arquivo", htmlEscape(m.fileName)}, "td");
    if (m.stamp) {
        out += row({"Endereço do dispositivo", htmlEscape(m.stamp->address)});
        out += row({"Data e hora do download", m.stamp->date + " " + m.stamp->time});
        if (m.stamp->partial)
            out += row({"Download", "parcial (interrompido antes do fim)"});
    }
    return out;
}

std::string dataHeader(const LogTable& table, const ReportModel& m)
{
    std::string out = "<section id=\"cabecalho\"><h2>Cabeçalho</h2><table class=\"fatos\">\n";
    out += stampRows(m);
    out += row({"Registros", count(static_cast<int>(table.rows.size()))});
    out += row({"Primeiro registro", when(m.first)});
    out += row({"Último registro", when(m.last)});
    out += row({"Registros com CRC inválido (CRC_Valido = 0)", count(m.badCrc)});
    out += row({"Registros apagados (data 255/255/255)", count(m.erased)});
    out += row({"Registros com o relógio atrasado (hora anterior à do registro anterior)",
                count(m.backwards)});
    out += row({"Registros fora dos gráficos e do resumo (data inválida ou CRC inválido)",
                count(m.uncharted)});
    out += "</table></section>\n";
    out += "<section id=\"motivos\"><h2>Registros por motivo de gravação</h2>"
           "<table class=\"contagem\">\n";
    out += row({"Motivo", "Registros"}, "th");
    for (int i = 0; i < kReasonCount; ++i)
        out += row({kReasonNames[static_cast<std::size_t>(i)],
                    count(m.reasons[static_cast<std::size_t>(i)])});
    out += "</table></section>\n";
    return out;
}

std::string resetHeader(const LogTable& table, const ReportModel& m)
{
    std::string out = "<section id=\"cabecalho\"><h2>Cabeçalho</h2><table class=\"fatos\">\n";
    out += stampRows(m);
    out += row({"Entradas em uso", count(static_cast<int>(table.rows.size())) + " de 78"});
    out += row({"Primeiro reinício", when(m.first)});
    out += row({"Último reinício", when(m.last)});
    out += row({"Entradas com CRC inválido (CRC_Valido = 0)", count(m.badCrc)});
    out += row({"Entradas sem data e hora válidas", count(m.undated)});
    out += "</table></section>\n";
    out += "<section id=\"firmware\"><h2>Reinícios por versão do firmware</h2>"
           "<table class=\"contagem\">\n";
    out += row({"Versão do firmware", "Subversão", "Reinícios"}, "th");
    for (const FirmwareCount& f : m.firmware)
        out += row({htmlEscape(f.version), htmlEscape(f.release), count(f.count)});
    out += "</table></section>\n";
    return out;
}

std::string meanText(double mean)
{
    // Three decimals are more than any column's own precision.
    return numberTextComma(std::round(mean * 1000) / 1000);
}

std::string summary(const LogTable& table, const ReportModel& m)
{
    const int charted = static_cast<int>(m.rows.size()) - m.uncharted;
    std::string out = "<section id=\"resumo\"><h2>Resumo por coluna</h2><p>Sobre os " +
                      count(charted) +
                      " registros com data e hora e CRC válidos.</p>"
                      "<table class=\"resumo\">\n";
    out += row(
        {"Coluna", "Mínimo", "Data e hora do mínimo", "Máximo", "Data e hora do máximo", "Média"},
        "th");
    for (const ColumnSummary& s : m.summary) {
        const std::string name = htmlEscape(table.columns[static_cast<std::size_t>(s.column)].name);
        if (s.count == 0) {
            out += row({name, "—", "—", "—", "—", "—"});
            continue;
        }
        out += row({name,
                    numberTextComma(s.min),
                    when(m.rows[static_cast<std::size_t>(s.minRow)].time),
                    numberTextComma(s.max),
                    when(m.rows[static_cast<std::size_t>(s.maxRow)].time),
                    meanText(s.mean)});
    }
    out += "</table></section>\n";
    return out;
}

const char* kCharts = R"(<section id="graficos"><h2>Gráficos</h2>
<p class="ajuda">Arraste sobre um gráfico para ampliar; Shift + arrastar, ou as setas, desloca; o cursor mostra os valores de todos os gráficos no mesmo instante. Marcas no eixo do tempo: <span class="marca-alarme">▲</span> registro por alarmes, <span class="marca-erro">▲</span> por erros.</p>
<div class="controles"><button type="button" id="zoom-esq">◀</button><button type="button" id="zoom-dir">▶</button><button type="button" id="zoom-reset">Restaurar zoom</button>
<label>Outra coluna: <select id="outra-coluna"></select></label></div>
<div id="lista-graficos"></div></section>
)";

std::string tableSection(LogKind kind)
{
    std::string out =
        R"(<section id="registros" class="tela"><h2>Registros</h2><div class="controles">)";
    if (kind == LogKind::Data) {
        out += R"(<label>Motivo: <select id="filtro-motivo"><option value="">Todos</option>)";
        for (const char* name : kReasonNames)
            out += std::string("<option>") + name + "</option>";
        out += "</select></label>";
    }
    out +=
        R"(<label>CRC: <select id="filtro-crc"><option value="">Todos</option><option value="1">Válido</option><option value="0">Inválido</option></select></label>)"
        R"(<label>De: <input type="date" id="filtro-de"></label><label>Até: <input type="date" id="filtro-ate"></label>)"
        R"(<label>Buscar: <input type="search" id="filtro-busca" placeholder=")";
    out += kind == LogKind::Data ? "Autodiagnostico, Alarmes, Reles" : "RCON, INTCON1, PC, W15...";
    out +=
        R"("></label><button type="button" id="baixar-csv">Baixar CSV</button> <span id="contagem"></span></div>
<div id="tabela" class="tabela"></div></section>
)";
    return out;
}

} // namespace

std::string htmlEscape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (const char* as = escapeOf(c, kHtmlEscapes))
            out += as;
        else
            out += c;
    }
    return out;
}

std::string pageData(const LogTable& table, const ReportModel& model)
{
    std::string out = "{\"kind\":";
    out += table.kind == LogKind::Data ? "\"data\"" : "\"reset\"";
    out += ",\"file\":" + jsonString(model.fileName) + ",\"columns\":[";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c)
            out += ',';
        out += "{\"name\":";
        out += jsonString(table.columns[c].name);
        out += table.columns[c].numeric ? ",\"num\":true" : ",\"num\":false";
        out += isQuantity(table.columns[c]) ? ",\"qty\":true}" : ",\"qty\":false}";
    }
    out += "],\"cols\":[";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c)
            out += ',';
        appendColumnData(out, table, c);
    }
    std::string times, reasons, ok;
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const RowFacts& f = model.rows[r];
        if (r) {
            times += ',';
            reasons += ',';
            ok += ',';
        }
        times += f.time ? std::to_string(*f.time) : std::string("null");
        reasons += std::to_string(f.reasons);
        ok += f.crcOk ? '1' : '0';
    }
    out += "],\"t\":[" + times + "],\"r\":[" + reasons + "],\"ok\":[" + ok + "]}";
    return out;
}

std::string htmlReport(const LogTable& table, const ReportModel& model)
{
    const bool data = table.kind == LogKind::Data;
    const std::string title =
        std::string(data ? "Relatório do LOG de dados" : "Relatório do LOG de reset");
    std::string out = "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta http-equiv=\"Content-Security-Policy\" content=\"";
    out += kPolicy;
    out +=
        "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
        title + " – " + htmlEscape(model.fileName) + "</title>\n<style>\n";
    out += assets::kChartStyle;
    out += "\n";
    out += assets::kPageStyle;
    out += "</style>\n</head>\n<body>\n<header><h1>" + title + "</h1><p class=\"arquivo\">" +
           htmlEscape(model.fileName) + "</p></header>\n<main>\n";
    out += data ? dataHeader(table, model) : resetHeader(table, model);
    if (data) {
        out += kCharts;
        out += summary(table, model);
    }
    out += tableSection(table.kind);
    out += "</main>\n<footer><details><summary>Gráficos: uPlot " LOGQVR_UPLOT_VERSION
           " (licença MIT)</summary><pre>";
    out += htmlEscape(assets::kChartLicence);
    out += "</pre></details></footer>\n<script type=\"application/json\" id=\"dados\">";
    out += pageData(table, model);
    out += "</script>\n<script>\n";
    out += assets::kChartScript;
    out += "\n</script>\n<script>\n";
    out += assets::kPageScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

} // namespace report
