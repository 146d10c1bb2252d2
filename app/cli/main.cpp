// logqvr-cli: the window's connect and downloads without a window, for a
// script, a timer or a scheduled task. Everything but the system's parts is
// in runCli().
#include "cancelsignal.h"
#include "cliconsole.h"
#include "clijson.h"
#include "clioptions.h"
#include "clirun.h"
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/consoletext.h"
#include "form/programplace.h"
#include "logexport/templatefolder.h"
#include "windowsettings.h"

int main(int argc, char* argv[])
{
    const std::vector<std::string> args = commandArguments(argc, argv);
    // Alone, as every GNU-style command takes them (the manual page is made
    // from them).
    if (args == std::vector<std::string>{"--help"}) {
        writeText(stdout, kCliUsage);
        return kExitDone;
    }
    if (args == std::vector<std::string>{"--version"}) {
        writeText(stdout,
                  "logqvr-cli (LOG_QVR) " LOGQVR_VERSION "\n"
                  "Copyright (C) 2026 The LOG_QVR authors. Todos os direitos reservados.\n");
        return kExitDone;
    }
    std::string error;
    const std::optional<CliOptions> options = parseCliOptions(args, error);
    if (!options) {
        writeText(stderr, "logqvr-cli: " + error + "\nVeja: logqvr-cli --help\n");
        return kExitUsage;
    }
    catchCancelSignals();
    StreamConsole console(isTerminal(stderr) && !options->silencioso);
    const ProgramPlace place = programPlace();
    const logexport::TemplatePlace templates =
        logexport::placeTemplates(place.folder, userTemplateFolder());
    // Only needed, and made when missing, when no folder is given or stored.
    const std::unique_ptr<SettingsStore> settings = windowSettings(settingskey::kGroup);
    const std::unique_ptr<SettingsStore> history = windowSettings(historykey::kGroup);
    std::string firstRunCaminho;
    if (!options->caminho && !settings->value(settingskey::kCaminho))
        firstRunCaminho = logexport::firstRunCaminho(templates, place.folder, documentsFolder());
    SystemClock clock;
    const CliServices services{dynamicKestrune(),
                               *settings,
                               history.get(),
                               clock,
                               templates.folder,
                               firstRunCaminho,
                               templates.warnings,
                               {},
                               console,
                               cancelSignalled};
    const RunRecord record = runCli(*options, services);
    if (options->json)
        console.out(runJson(record));
    return record.exitCode;
}
