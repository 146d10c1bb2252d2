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
#include "logexport/resetlogdownload.h"
#include "report/reportfile.h"

#include <chrono>

using logexport::ExportEnd;
using logexport::ExportResult;

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

std::string deviceText(const FormView& view, const DeviceInfo& d)
{
    return d.status + "\n" + d.serialLine + "\n" +
           "Opcional de Log: " + (d.logOption ? "ativo" : "inativo") + "\n" +
           view.text(Control::lblAte) + "\n";
}

class Run {
public:
    Run(const CliOptions& o, const CliServices& s)
        : m_o(o), m_s(s), m_view(s.console), m_prompts(s.console, o.parcial, o.silencioso),
          m_params(s.settings), m_services{s.lib,
                                           m_prompts,
                                           m_params,
                                           s.clock,
                                           s.templateFolder,
                                           s.sleepMs,
                                           s.firstRunCaminho,
                                           {}},
          m_ctx{m_services, m_view, m_values}, m_cancel(m_ctx)
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
        const ConnectEnd connected = ConnectController(m_ctx).cmdOK_Click();
        m_outcome.add(exitCodeOf(connected));
        if (connected == ConnectEnd::Connected) {
            // One tick of the poll: the status lines the window would show.
            PollController(m_ctx).Timer1_Timer();
            m_record.device = deviceInfo(m_view, m_values);
            say(deviceText(m_view, *m_record.device));
            downloads();
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
            if (!m_view.isEnabled(Control::cmdGerar)) {
                m_outcome.add(kExitNoAnswer);
            } else {
                chooseRange(m_view, m_o);
                const ExportResult r = DataLogDownload(m_ctx).run(logexport::PartialChoice::Ask);
                m_record.range =
                    RangeRead{m_o.dadosArgument, r.planned, r.firstRecord, r.lastRecord, r.rows};
                finished(r, "data");
            }
        }
        if (m_o.reset && goOn())
            finished(ResetLogDownload(m_ctx).run(logexport::PartialChoice::Ask), "reset");
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
    ControllerServices m_services;
    ControllerContext m_ctx;
    CancelController m_cancel;
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
