#include "logexport/resetlogdownload.h"

#include "connection/portlink.h"
#include "core/errors.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "logexport/devicelink.h"
#include "logexport/downloadlock.h"
#include "logexport/downloadprogress.h"
#include "logexport/exportdatabase.h"
#include "logexport/partialsave.h"
#include "logexport/resetlogentry.h"
#include "mdb/dao.h"

#include <chrono>
#include <thread>
#include <utility>

using namespace logexport;

namespace {

// The device needs time to present a slot after a select and between reads.
constexpr int kPauseMs = 50;
constexpr int kPointerPasses = 6;
constexpr int kEntryReadPasses = 10;

void sleepFor(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void enableExportButtons(FormView& view)
{
    view.setEnabled(Control::cmdGerar, true);
    view.setEnabled(Control::cmdLogReset, true);
}

} // namespace

ResetLogDownload::ResetLogDownload(ControllerContext context)
    : m_ctx(std::move(context)), m_templatePath(m_ctx.templateFolder + kResetTemplate)
{
    if (!m_ctx.sleepMs)
        m_ctx.sleepMs = sleepFor;
}

ResetLogDownload::ResetLogDownload(ControllerContext context, mdb::DBEngine& engine)
    : ResetLogDownload(std::move(context))
{
    m_engine = &engine;
}

ResetLogDownload::~ResetLogDownload() = default;

void ResetLogDownload::cmdLogReset_Click()
{
    FormView& view = m_ctx.view;
    ExportDatabase db(m_engine ? *m_engine : mdb::dbEngine());
    DownloadLock lock(view, m_ctx.values);
    DownloadProgress progress(view, m_ctx.values);
    // Only a run that switched the buttons off has to switch them on again.
    bool busy = false;
    try {
        if (!ensureLink())
            return;
        DeviceLink link(m_ctx.lib, view, m_ctx.sleepMs);
        if (!readPointer(link))
            return;

        db.open(m_templatePath);
        db.clearTable();
        view.setText(Control::lblTexto, "");
        view.setEnabled(Control::cmdGerar, false);
        view.setEnabled(Control::cmdLogReset, false);
        busy = true;
        lock.hold();

        progress.begin(kResetSlots);
        int rows = 0;
        const SlotRead end = walk(link, db, progress, rows);
        progress.end();
        if (end == SlotRead::Failed) {
            readFailure(db, lock, rows);
            return;
        }
        if (end == SlotRead::Cancelled) {
            cancelled(db, rows);
            return;
        }
        const std::string name = db.closeAndCopy(m_templatePath,
                                                 view.text(Control::txtCaminho),
                                                 kResetMarker,
                                                 view.text(Control::txtEnd),
                                                 m_ctx.clock);
        if (m_ctx.fileWritten)
            m_ctx.fileWritten(name);
        m_ctx.prompts.show("Dados gravados com sucesso", PromptIcon::Information, "OK");
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " FIM");
        enableExportButtons(view);
    } catch (const std::exception& e) {
        progress.end();
        m_ctx.prompts.show(errorText(e), PromptIcon::Warning, "");
        db.closeQuietly();
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " ERRO");
        if (busy)
            enableExportButtons(view);
    }
}

ResetLogDownload::SlotRead
ResetLogDownload::walk(DeviceLink& link, ExportDatabase& db, DownloadProgress& progress, int& rows)
{
    for (int slot = 0; slot < kResetSlots; ++slot) {
        if (progress.cancelRequested())
            return SlotRead::Cancelled;
        const SlotRead read = fetchSlot(link, slot, progress);
        if (read != SlotRead::Read)
            return read;
        ResetLogWords w{};
        for (uint32_t i = 0; i < kResetWindowWords; ++i)
            w[i] = link.word(i);
        if (!isBlankResetSlot(w)) {
            const ResetLogRow row = decodeResetLog(w);
            m_ctx.values.qtd_log_rst = row.qtdeVariaveis;
            db.addRow([&](mdb::Recordset& rs) { writeResetLogRow(rs, row); });
            ++rows;
        }
        progress.recordDone();
    }
    return SlotRead::Read;
}

void ResetLogDownload::readFailure(ExportDatabase& db, DownloadLock& lock, int rows)
{
    FormView& view = m_ctx.view;
    m_ctx.prompts.show("Erro ao ler o LOG", PromptIcon::Warning, kAppTitle);
    view.setText(Control::lblTexto, "Erro");
    enableExportButtons(view);
    dropLink(m_ctx.lib, m_ctx.values);
    lock.release();
    // The rows read so far stay in the template, which is released now. A
    // close that does not reach the disk goes to the error path: a copy of
    // the file it left would be announced as saved.
    db.close();
    offerPartialSave(m_ctx, db, {m_templatePath, kResetMarker, "OK"}, rows);
}

void ResetLogDownload::cancelled(ExportDatabase& db, int rows)
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto, view.text(Control::lblTexto) + " CANCELADO");
    db.close();
    offerPartialSave(m_ctx, db, {m_templatePath, kResetMarker, "OK"}, rows);
    enableExportButtons(view);
}

bool ResetLogDownload::ensureLink()
{
    if (m_ctx.values.PortaAberta)
        return true;
    // The same opening as the connect's, without its input checks and without
    // the identification.
    return openLink(m_ctx, linkSettingsFrom(m_ctx.view));
}

bool ResetLogDownload::readPointer(DeviceLink& link)
{
    bool ok = false;
    for (int pass = 0; pass < kPointerPasses && !ok; ++pass)
        ok = link.read(kRegResetPointer, 1);
    if (!ok) {
        m_ctx.prompts.show("Erro ao ler o LOG", PromptIcon::Warning, kAppTitle);
        dropLink(m_ctx.lib, m_ctx.values);
        return false;
    }
    // The link poll puts the data-log pointer back at its next tick.
    m_ctx.values.PonteiroLOG = static_cast<int32_t>(link.word(0));
    if (m_ctx.values.ponteiro() == 0) {
        m_ctx.prompts.show("O LOG de reset está vazio!", PromptIcon::Information, kAppTitle);
        return false;
    }
    return true;
}

ResetLogDownload::SlotRead
ResetLogDownload::fetchSlot(DeviceLink& link, int slot, const DownloadProgress& progress)
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto,
                 "Lendo registro " + std::to_string(slot + 1) + " de " +
                     std::to_string(kResetSlots) + "...");
    // The select's outcome is not checked: the read tells whether the slot came.
    link.write(kRegResetSelect, static_cast<uint32_t>(slot), kPauseMs);
    for (int pass = 0; pass < kEntryReadPasses; ++pass) {
        view.processEvents();
        if (pass > 0 && progress.cancelRequested())
            return SlotRead::Cancelled;
        if (link.read(kRegResetWindow, kResetWindowWords, kPauseMs))
            return SlotRead::Read;
    }
    return SlotRead::Failed;
}
