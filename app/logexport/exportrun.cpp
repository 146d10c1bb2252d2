#include "logexport/exportrun.h"

#include "connection/portlink.h"
#include "core/errors.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "mdb/dao.h"

#include <utility>

namespace logexport {

ExportRun::ExportRun(const ControllerContext& ctx, mdb::DBEngine* engine, const ExportKind& kind)
    : m_ctx(ctx), m_kind(kind), m_templatePath(ctx.templateFolder + kind.templateName),
      m_db(engine ? *engine : mdb::dbEngine()), m_lock(ctx.view, ctx.values),
      m_progress(ctx.view, ctx.values)
{
}

ExportResult ExportRun::run(ExportSteps& steps, PartialChoice partial)
{
    try {
        m_result.end = runSteps(steps, partial);
    } catch (const std::exception& e) {
        failed(e);
        m_result.end = ExportEnd::Error;
    }
    return m_result;
}

ExportEnd ExportRun::runSteps(ExportSteps& steps, PartialChoice partial)
{
    if (const std::optional<ExportEnd> end = steps.prepare())
        return *end;
    m_db.open(m_templatePath);
    if (m_kind.stopsPoll)
        m_ctx.view.setEnabled(Control::Timer1, false);
    m_db.clearTable();
    lockWindow();

    const std::optional<int> total = steps.chooseRange();
    if (!total) {
        // The template stays emptied: no output is made of it.
        m_db.close();
        restoreWindow();
        return ExportEnd::Rejected;
    }
    m_result.planned = *total;
    m_progress.begin(*total);
    const WalkEnd end = steps.walk(*this);
    m_progress.end();
    switch (end) {
    case WalkEnd::ReadFailed:
        return readFailure(steps, partial);
    case WalkEnd::Cancelled:
        return cancelled(steps, partial);
    case WalkEnd::Done:
        break;
    }
    return done(steps);
}

void ExportRun::addRow(const std::function<void(mdb::Recordset&)>& fill, bool crcValid)
{
    m_db.addRow(fill);
    ++m_result.rows;
    if (!crcValid)
        ++m_result.badCrcRows;
}

void ExportRun::lockWindow()
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto, "");
    view.setEnabled(Control::cmdGerar, false);
    view.setEnabled(Control::cmdLogReset, false);
    m_busy = true;
    m_lock.hold();
}

void ExportRun::restoreWindow()
{
    m_ctx.view.setEnabled(Control::cmdGerar, true);
    m_ctx.view.setEnabled(Control::cmdLogReset, true);
    if (m_kind.stopsPoll)
        m_ctx.view.setEnabled(Control::Timer1, true);
}

ExportEnd ExportRun::done(ExportSteps& steps)
{
    copy("");
    steps.saved(false);
    m_ctx.prompts.show("Dados gravados com sucesso", PromptIcon::Information, m_kind.savedTitle);
    appendToRow(" FIM");
    restoreWindow();
    return ExportEnd::Done;
}

ExportEnd ExportRun::readFailure(ExportSteps& steps, PartialChoice partial)
{
    FormView& view = m_ctx.view;
    const ExportSteps::Told told = steps.readFailureTexts();
    m_ctx.prompts.show(told.box, PromptIcon::Warning, kAppTitle);
    view.setText(Control::lblTexto, told.row);
    view.setEnabled(Control::cmdGerar, true);
    view.setEnabled(Control::cmdLogReset, true);
    dropLink(m_ctx.lib, m_ctx.values);
    // The link is closed: the port fields come back at once.
    m_lock.release();
    if (m_kind.stopsPoll)
        view.setEnabled(Control::Timer1, true);
    // The rows read so far stay in the template, which is released now. A
    // close that does not reach the disk goes to the error path: a copy of
    // the file it left would be announced as saved.
    m_db.close();
    keepPartial(steps, partial);
    return ExportEnd::ReadFailed;
}

ExportEnd ExportRun::cancelled(ExportSteps& steps, PartialChoice partial)
{
    appendToRow(" CANCELADO");
    m_db.close();
    keepPartial(steps, partial);
    restoreWindow();
    return ExportEnd::Cancelled;
}

void ExportRun::failed(const std::exception& error)
{
    m_progress.end();
    m_result.error = errorText(error);
    m_ctx.prompts.show(m_result.error, PromptIcon::Warning, "");
    m_db.closeQuietly();
    appendToRow(" ERRO");
    if (m_busy || m_kind.errorAlwaysRestores)
        restoreWindow();
}

void ExportRun::keepPartial(ExportSteps& steps, PartialChoice partial)
{
    // Nothing read, nothing to keep.
    const int rows = m_result.rows;
    if (rows <= 0 || partial == PartialChoice::Drop)
        return;
    if (partial == PartialChoice::Ask &&
        !m_ctx.prompts.ask("Salvar os " + std::to_string(rows) + " registros lidos?", kAppTitle))
        return;
    const std::string name = copy(kPartialSuffix);
    steps.saved(true);
    // Told apart from a whole download's "Dados gravados com sucesso" by more
    // than the name; and the technician has to find the file: the whole name,
    // folder included.
    m_ctx.prompts.show("Dados parciais gravados (" + std::to_string(rows) + " registros)\n" + name,
                       PromptIcon::Information,
                       m_kind.savedTitle);
}

std::string ExportRun::copy(const std::string& suffix)
{
    const FormView& view = m_ctx.view;
    const std::string name = m_db.closeAndCopy(m_templatePath,
                                               view.text(Control::txtCaminho),
                                               m_kind.marker,
                                               view.text(Control::txtEnd),
                                               m_ctx.clock,
                                               suffix);
    m_result.file = name;
    m_result.partial = !suffix.empty();
    if (m_ctx.fileWritten)
        m_ctx.fileWritten(name);
    return name;
}

void ExportRun::appendToRow(const char* text)
{
    m_ctx.view.setText(Control::lblTexto, m_ctx.view.text(Control::lblTexto) + text);
}

LogDownload::LogDownload(ControllerContext context, mdb::DBEngine* engine, const ExportKind& kind)
    : m_ctx(std::move(context)), m_engine(engine), m_kind(kind)
{
}

ExportResult LogDownload::run(PartialChoice partial)
{
    return ExportRun(m_ctx, m_engine, m_kind).run(*this, partial);
}

} // namespace logexport
