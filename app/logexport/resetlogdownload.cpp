#include "logexport/resetlogdownload.h"

#include "connection/textnumber.h"
#include "core/errors.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/kestruneapi.h"
#include "core/prompts.h"
#include "logexport/devicelink.h"
#include "logexport/exportdatabase.h"
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

ResetLogDownload::ResetLogDownload(ControllerContext context) : m_ctx(std::move(context))
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
    // Only a run that switched the buttons off has to switch them on again.
    bool busy = false;
    try {
        if (!ensureLink())
            return;
        DeviceLink link(m_ctx.lib, view, m_ctx.sleepMs);
        if (!readPointer(link))
            return;

        const std::string templatePath = m_ctx.programFolder + kResetTemplate;
        db.open(templatePath);
        db.clearTable();
        view.setText(Control::lblTexto, "");
        view.setEnabled(Control::cmdGerar, false);
        view.setEnabled(Control::cmdLogReset, false);
        busy = true;

        for (int slot = 0; slot < kResetSlots; ++slot) {
            if (!fetchSlot(link, slot)) {
                m_ctx.prompts.show("Erro ao ler o LOG", PromptIcon::Warning, kAppTitle);
                view.setText(Control::lblTexto, "Erro");
                enableExportButtons(view);
                m_ctx.values.PortaAberta = false;
                m_ctx.lib.close_comm();
                // The rows read so far stay in the template, which is released now.
                db.closeQuietly();
                return;
            }
            ResetLogWords w{};
            for (uint32_t i = 0; i < kResetWindowWords; ++i)
                w[i] = link.word(i);
            if (isBlankResetSlot(w))
                continue;
            const ResetLogRow row = decodeResetLog(w);
            m_ctx.values.qtd_log_rst = row.qtdeVariaveis;
            db.addRow([&](mdb::Recordset& rs) { writeResetLogRow(rs, row); });
        }

        db.closeAndCopy(templatePath,
                        view.text(Control::txtCaminho),
                        kResetMarker,
                        view.text(Control::txtEnd),
                        m_ctx.clock);
        m_ctx.prompts.show("Dados gravados com sucesso", PromptIcon::Information, "OK");
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " FIM");
        enableExportButtons(view);
    } catch (const std::exception& e) {
        m_ctx.prompts.show(errorText(e), PromptIcon::Warning, "");
        db.closeQuietly();
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " ERRO");
        if (busy)
            enableExportButtons(view);
    }
}

bool ResetLogDownload::ensureLink()
{
    FormView& view = m_ctx.view;
    FormValues& v = m_ctx.values;
    if (v.PortaAberta)
        return true;
    // Every text is converted before the port is opened, so a bad one cannot
    // leave the port open behind a link marked closed.
    const int32_t port = textnum::toInt32(view.text(Control::txtCOM));
    const int32_t baud = textnum::toInt32(view.text(Control::cboBaudRate));
    const int32_t timeoutMs =
        textnum::roundToInt32(textnum::leadingNumber(view.text(Control::txtTimeout)));
    if (m_ctx.lib.open_comm(port) != 4) {
        m_ctx.prompts.show("Erro ao abrir porta COM.", PromptIcon::Warning, "Erro");
        m_ctx.lib.close_comm();
        v.PortaAberta = false;
        return false;
    }
    const uint32_t baudResult = m_ctx.lib.set_baud(static_cast<uint32_t>(baud), 2);
    m_ctx.lib.set_timeout(10000, static_cast<uint32_t>(timeoutMs), 1, 5000, 1000);
    if (baudResult != 1) {
        // A refused rate ends here, as the connect does: closed and unmarked.
        m_ctx.lib.close_comm();
        v.PortaAberta = false;
        return false;
    }
    v.PortaAberta = true;
    return true;
}

bool ResetLogDownload::readPointer(DeviceLink& link)
{
    bool ok = false;
    for (int pass = 0; pass < kPointerPasses && !ok; ++pass)
        ok = link.read(kRegResetPointer, 1);
    if (!ok) {
        m_ctx.prompts.show("Erro ao ler o LOG", PromptIcon::Warning, kAppTitle);
        m_ctx.values.PortaAberta = false;
        m_ctx.lib.close_comm();
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

bool ResetLogDownload::fetchSlot(DeviceLink& link, int slot)
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto,
                 "Lendo registro " + std::to_string(slot + 1) + " de " +
                     std::to_string(kResetSlots) + "...");
    // The select's outcome is not checked: the read tells whether the slot came.
    link.write(kRegResetSelect, static_cast<uint32_t>(slot), kPauseMs);
    for (int pass = 0; pass < kEntryReadPasses; ++pass) {
        view.processEvents();
        if (link.read(kRegResetWindow, kResetWindowWords, kPauseMs))
            return true;
    }
    return false;
}
