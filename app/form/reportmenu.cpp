#include "form/reportmenu.h"

#include "core/prompts.h"
#include "core/settingsstore.h"
#include "report/logtable.h"
#include "report/outputfile.h"
#include "report/reportfile.h"

#include <utility>

ReportMenu::ReportMenu(SettingsStore& settings,
                       Prompts& prompts,
                       ReportBrowser& browser,
                       std::string userFolder)
    : m_settings(settings), m_prompts(prompts), m_browser(browser),
      m_userFolder(std::move(userFolder))
{
}

void ReportMenu::fileWritten(const std::string& path)
{
    m_settings.setValue(reportkey::kUltimoLog, path);
}

std::optional<std::string> ReportMenu::lastLog() const
{
    std::optional<std::string> last = m_settings.value(reportkey::kUltimoLog);
    if (!last || last->empty() || !report::fileExists(*last))
        return std::nullopt;
    return last;
}

void ReportMenu::openLastLog()
{
    // The entry is disabled without a last file; the file may still have
    // gone between the menu's opening and the click.
    const std::optional<std::string> last = m_settings.value(reportkey::kUltimoLog);
    if (last && !last->empty())
        openReportOf(*last);
}

void ReportMenu::openChosen(LogFilePicker& picker, const std::string& caminho)
{
    const std::optional<std::string> file = picker.chooseLog(caminho);
    if (file && !file->empty())
        openReportOf(*file);
}

void ReportMenu::openReportOf(const std::string& mdbPath)
{
    report::Written written;
    try {
        written = report::writeReportBesideOrIn(mdbPath, m_userFolder);
    } catch (const report::ReportError& e) {
        m_prompts.show(e.what(), PromptIcon::Warning, kAppTitle);
        return;
    }
    if (!m_browser.show(written.html))
        m_prompts.show("O navegador não abriu. O relatório foi gravado em:\n" + written.html,
                       PromptIcon::Information,
                       kAppTitle);
}
