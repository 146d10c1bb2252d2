#include "clirun.h"

#include "cliview.h"
#include "connection/pollcontroller.h"
#include "core/formlayout.h"
#include "core/formvalues.h"
#include "core/pathseparator.h"
#include "core/settingsstore.h"
#include "form/formlifecycle.h"
#include "logexport/cancelcontroller.h"
#include "logexport/datalogdownload.h"
#include "logexport/devicehistory.h"
#include "logexport/resetlogdownload.h"
#include "report/reportfile.h"

#include <chrono>

using logexport::ExportEnd;
using logexport::ExportResult;
using logexport::HistoryCheck;

namespace {

// The window's settings as the command may use them: read, and every write
// the connect makes after an identification dropped.
class ReadOnlySettings : public SettingsStore {
public:
    explicit ReadOnlySettings(const SettingsStore& store) : m_store(store) {}
    std::optional<std::string> value(const std::string& key) const override
    {
        return m_store.value(key);
    }
    void setValue(const std::string&, const std::string&) override {}

private:
    const SettingsStore& m_store;
};

// The memory of each device as the command moves it: every write read back,
// since a memory that did not move makes the next run read those records
// again.
class CheckedSettings : public SettingsStore {
public:
    explicit CheckedSettings(SettingsStore* store) : m_store(store) {}
    std::optional<std::string> value(const std::string& key) const override
    {
        return m_store ? m_store->value(key) : std::nullopt;
    }
    void setValue(const std::string& key, const std::string& text) override
    {
        m_store->setValue(key, text);
        if (m_store->value(key) != text)
            m_failedKey = key;
    }
    SettingsStore* store() { return m_store ? this : nullptr; }
    const std::optional<std::string>& failedKey() const { return m_failedKey; }

private:
    SettingsStore* m_store;
    std::optional<std::string> m_failedKey;
};

// What --dados novos reads, as the connect's check of the memory left it.
enum class NewRecords {
    Offered,    // the connect chose them: the first new record to the pointer
    None,       // nothing new since the last visit
    Everything, // no memory, or one the device no longer matches: all unsaved
    Unknown,    // the remembered record could not be read again
};

NewRecords newRecordsOf(const HistoryCheck& check)
{
    switch (check.outcome) {
    case HistoryCheck::Outcome::Matched:
        return check.newRecords > 0 ? NewRecords::Offered : NewRecords::None;
    case HistoryCheck::Outcome::ReadFailed:
        return NewRecords::Unknown;
    case HistoryCheck::Outcome::NoMemory:
    case HistoryCheck::Outcome::Mismatch:
    case HistoryCheck::Outcome::NotChecked:
        break;
    }
    return NewRecords::Everything;
}

const char* checkName(HistoryCheck::Outcome outcome)
{
    switch (outcome) {
    case HistoryCheck::Outcome::Matched:
        return "matched";
    case HistoryCheck::Outcome::NoMemory:
        return "no-memory";
    case HistoryCheck::Outcome::Mismatch:
        return "mismatch";
    case HistoryCheck::Outcome::ReadFailed:
        return "read-failed";
    case HistoryCheck::Outcome::NotChecked:
        break;
    }
    return "not-checked";
}

// The first and the last record a data-log walk stored, in walk order.
std::pair<std::optional<int>, std::optional<int>> recordsOf(const logexport::SavedRun& saved)
{
    if (saved.stamps.empty())
        return {};
    return {saved.first, saved.last()};
}

// A position in the list as the setting stores it, else a rate typed into
// the list's box; a rate of the list selects its entry.
void applyBaudrate(FormView& view, const std::string& text)
{
    const long n = std::stol(text);
    if (n >= 0 && n < 6) {
        view.setListIndex(Control::cboBaudRate, static_cast<int>(n));
        return;
    }
    for (int i = 0; i < 6; ++i) {
        if (std::string(kBaudRateEntries[i]).ends_with(" " + text)) {
            view.setListIndex(Control::cboBaudRate, i);
            return;
        }
    }
    view.setListIndex(Control::cboBaudRate, -1);
    view.setText(Control::cboBaudRate, text);
}

// The downloads append the file name to the folder as it stands; the
// folder browser gives it its separator, and so does the command.
std::string folderText(const std::string& folder)
{
    return folder.ends_with(kPathSeparator) || folder.ends_with('/') ? folder
                                                                     : folder + kPathSeparator;
}

void applyFields(FormView& view, const CliOptions& o)
{
    const std::pair<const std::optional<std::string>&, Control> fields[] = {
        {o.com, Control::txtCOM},
        {o.endereco, Control::txtEnd},
        {o.retries, Control::txtRetry},
        {o.timeout, Control::txtTimeout},
    };
    for (const auto& [value, control] : fields) {
        if (value)
            view.setText(control, *value);
    }
    if (o.caminho)
        view.setText(Control::txtCaminho, folderText(*o.caminho));
    if (o.baudrate)
        applyBaudrate(view, *o.baudrate);
}

// The range as the technician would give it in the window: the number
// typed, then the option clicked.
void chooseRange(FormView& view, const CliOptions& o)
{
    switch (o.dados) {
    case DataChoice::Ultimos:
        view.setText(Control::txtUltimos, o.ultimos);
        view.setChecked(Control::optUltimos, true);
        break;
    case DataChoice::DeAte:
        view.setText(Control::txtDe, o.de);
        view.setText(Control::txtAte, o.ate);
        view.setChecked(Control::optAte, true);
        break;
    case DataChoice::Inteira:
        view.setChecked(Control::optInteira, true);
        break;
    case DataChoice::Novos:
    case DataChoice::None:
        break;
    }
}

DeviceInfo deviceInfo(const FormView& view, const FormValues& v)
{
    DeviceInfo d;
    d.port = view.text(Control::txtCOM);
    d.address = view.text(Control::txtEnd);
    d.status = view.text(Control::lblStatus);
    d.serialLine = view.text(Control::lblNS);
    d.firmware = v.VersaoHUS_inf;
    d.release = v.Subversao;
    d.serial1 = v.NumSerie1;
    d.serial2 = v.NumSerie2;
    d.logOption = v.Options == 1;
    d.pointer = v.ponteiro();
    return d;
}

// The device as the window shows it once connected; with a memory of it, what
// lblTexto says of the records that are new.
std::string deviceText(const FormView& view, const DeviceInfo& d)
{
    std::string text = d.status + "\n" + d.serialLine + "\n" +
                       "Opcional de Log: " + (d.logOption ? "ativo" : "inativo") + "\n" +
                       view.text(Control::lblAte) + "\n";
    if (const std::string history = view.text(Control::lblTexto); !history.empty())
        text += history + "\n";
    return text;
}

class Run {
public:
    Run(const CliOptions& o, const CliServices& s)
        : m_o(o), m_s(s), m_view(s.console), m_prompts(s.console, o.parcial, o.silencioso),
          m_params(s.settings), m_history(s.history), m_services{s.lib,
                                                                 m_prompts,
                                                                 m_params,
                                                                 s.clock,
                                                                 s.templateFolder,
                                                                 s.sleepMs,
                                                                 s.firstRunCaminho,
                                                                 {},
                                                                 m_history.store()},
          m_ctx{m_services, m_view, m_values}, m_cancel(m_ctx), m_memory(m_ctx)
    {
        m_view.onYield = [this] {
            if (m_s.interrupted())
                m_cancel.windowClosing();
        };
    }

    RunRecord run()
    {
        const auto started = std::chrono::steady_clock::now();
        for (const std::string& warning : m_s.templateWarnings)
            m_prompts.show(warning, PromptIcon::Warning, kAppTitle);
        FormLifecycle lifecycle(m_ctx);
        lifecycle.Form_Load();
        applyFields(m_view, m_o);
        const ConnectEnd connected = ConnectController(m_ctx, [this](bool identified) {
                                         m_memory.connected(identified);
                                     }).cmdOK_Click();
        m_outcome.add(exitCodeOf(connected));
        if (connected == ConnectEnd::Connected) {
            // One tick of the poll: the status lines the window would show.
            PollController(m_ctx).Timer1_Timer();
            m_record.device = deviceInfo(m_view, m_values);
            say(deviceText(m_view, *m_record.device));
            downloads();
            m_record.history = historyInfo();
        }
        lifecycle.Form_Unload();
        m_record.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        m_record.exitCode = m_outcome.code();
        m_record.messages = m_prompts.told();
        return m_record;
    }

private:
    void downloads()
    {
        if (m_o.dados != DataChoice::None && goOn()) {
            // Without the log option the window leaves the button off; the
            // box that said why went out at connect.
            if (!m_view.isEnabled(Control::cmdGerar))
                m_outcome.add(kExitNoAnswer);
            else if (chooseNewRecords())
                dataLog();
        }
        if (m_o.reset && goOn())
            finished(ResetLogDownload(m_ctx).run(logexport::PartialChoice::Ask), "reset");
    }

    void dataLog()
    {
        chooseRange(m_view, m_o);
        DataLogDownload download(m_ctx, &m_memory);
        const ExportResult r = download.run(logexport::PartialChoice::Ask);
        const auto [first, last] = recordsOf(download.savedRun());
        m_record.range = RangeRead{m_o.dadosArgument, r.planned, first, last, r.rows};
        finished(r, "data");
        if (m_history.failedKey()) {
            m_prompts.show("Não foi possível guardar o último registro salvo deste equipamento "
                           "nas configurações (" +
                               *m_history.failedKey() +
                               "): a próxima leitura de --dados novos o lerá de novo.",
                           PromptIcon::Warning,
                           kAppTitle);
            m_outcome.add(kExitWriteFailed);
        }
    }

    // For --dados novos, the range as the connect's check left it; false when
    // nothing is to be read.
    bool chooseNewRecords()
    {
        if (m_o.dados != DataChoice::Novos)
            return true;
        const HistoryCheck& check = m_memory.lastCheck();
        switch (newRecordsOf(check)) {
        case NewRecords::Offered:
            return true;
        case NewRecords::Everything:
            m_view.setChecked(Control::optInteira, true);
            return true;
        case NewRecords::None:
            m_record.range = RangeRead{m_o.dadosArgument, 0, std::nullopt, std::nullopt, 0};
            return false;
        case NewRecords::Unknown:
            break;
        }
        m_prompts.show("Não foi possível ler de novo o registro " +
                           std::to_string(check.mark.record) +
                           ", o último salvo deste equipamento: os registros novos não são "
                           "conhecidos e nada foi lido.",
                       PromptIcon::Warning,
                       kAppTitle);
        m_outcome.add(kExitNoAnswer);
        return false;
    }

    HistoryInfo historyInfo() const
    {
        const HistoryCheck& c = m_memory.lastCheck();
        HistoryInfo h;
        h.check = checkName(c.outcome);
        if (c.outcome != HistoryCheck::Outcome::NotChecked &&
            c.outcome != HistoryCheck::Outcome::NoMemory)
            h.remembered = c.mark;
        h.newRecords = c.newRecords;
        if (c.outcome == HistoryCheck::Outcome::Matched && c.newRecords > 0)
            h.firstNew = c.firstNew;
        h.pointer = c.pointer;
        if (const std::optional<std::string> stored =
                m_history.value(logexport::historyKey(m_values.NumSerie1, m_values.NumSerie2)))
            h.after = logexport::parseLastSaved(*stored);
        return h;
    }

    // Not after a cancel, whether the download saw it or it came after.
    bool goOn()
    {
        if (!m_s.interrupted() && m_outcome.code() != kExitCancelled)
            return true;
        m_outcome.add(kExitCancelled);
        return false;
    }

    void finished(const ExportResult& r, const char* kind)
    {
        m_outcome.add(exitCodeOf(r.end));
        if (r.file.empty())
            return;
        m_record.files.push_back({r.file, kind, r.rows, r.badCrcRows, r.partial});
        say(r.file + "\n");
        if (m_o.relatorio || m_o.csv)
            writeReports(m_record.files.back());
    }

    void writeReports(const WrittenFile log)
    {
        const std::optional<std::string> csv =
            m_o.csv ? std::optional(report::besideLog(log.path, ".csv")) : std::nullopt;
        try {
            if (m_o.relatorio) {
                const report::Written w =
                    report::writeReport(log.path, report::besideLog(log.path, ".html"), csv);
                wrote(log, w.html, "report");
            } else {
                report::writeCsv(log.path, *csv);
            }
            if (csv)
                wrote(log, *csv, "csv");
        } catch (const std::exception& e) {
            m_prompts.show(e.what(), PromptIcon::Warning, kAppTitle);
            m_outcome.add(kExitWriteFailed);
        }
    }

    void wrote(const WrittenFile& log, const std::string& path, const char* kind)
    {
        m_record.files.push_back({path, kind, log.records, log.badCrc, log.partial});
        say(path + "\n");
    }

    // Plain results on stdout, unless the JSON is the whole of it or silence
    // was asked for.
    void say(const std::string& text)
    {
        if (!m_o.json && !m_o.silencioso)
            m_s.console.out(text);
    }

    const CliOptions& m_o;
    const CliServices& m_s;
    CliView m_view;
    FormValues m_values;
    CliPrompts m_prompts;
    ReadOnlySettings m_params;
    CheckedSettings m_history;
    ControllerServices m_services;
    ControllerContext m_ctx;
    CancelController m_cancel;
    logexport::DeviceHistory m_memory;
    Outcome m_outcome;
    RunRecord m_record;
};

} // namespace

int exitCodeOf(ConnectEnd end)
{
    switch (end) {
    case ConnectEnd::Connected:
    case ConnectEnd::Disconnected:
    case ConnectEnd::AlreadyOpen:
        return kExitDone;
    case ConnectEnd::Refused:
    case ConnectEnd::Error:
        return kExitUsage;
    case ConnectEnd::NoPort:
    case ConnectEnd::RateRefused:
    case ConnectEnd::NoLibrary:
        return kExitNoPort;
    case ConnectEnd::NoAnswer:
        return kExitNoAnswer;
    }
    return kExitUsage;
}

int exitCodeOf(ExportEnd end)
{
    switch (end) {
    case ExportEnd::Done:
    case ExportEnd::Empty:
        return kExitDone;
    case ExportEnd::Cancelled:
        return kExitCancelled;
    case ExportEnd::ReadFailed:
        return kExitNoAnswer;
    case ExportEnd::Error:
        return kExitWriteFailed;
    case ExportEnd::Rejected:
        return kExitUsage;
    case ExportEnd::NoLink:
        return kExitNoPort;
    }
    return kExitWriteFailed;
}

const char* outcomeName(int exitCode)
{
    switch (exitCode) {
    case kExitDone:
        return "done";
    case kExitUsage:
        return "usage";
    case kExitNoPort:
        return "no-port";
    case kExitNoAnswer:
        return "no-answer";
    case kExitWriteFailed:
        return "write-failed";
    case kExitCancelled:
        return "cancelled";
    }
    return "unknown";
}

RunRecord runCli(const CliOptions& options, const CliServices& services)
{
    return Run(options, services).run();
}
