#include "logexport/resetlogdownload.h"

#include "connection/portlink.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "logexport/resetlogentry.h"

#include <chrono>
#include <thread>
#include <utility>

using namespace logexport;

namespace {

// The device needs time to present a slot after a select and between reads.
constexpr int kPauseMs = 50;
constexpr int kPointerPasses = 6;
constexpr int kEntryReadPasses = 10;

const ExportKind kResetLog{
    .templateName = kResetTemplate,
    .marker = kResetMarker,
    .savedTitle = "OK",
};

void sleepFor(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ControllerContext withPauses(ControllerContext context)
{
    if (!context.sleepMs)
        context.sleepMs = sleepFor;
    return context;
}

} // namespace

ResetLogDownload::ResetLogDownload(ControllerContext context)
    : LogDownload(withPauses(std::move(context)), nullptr, kResetLog),
      m_link(m_ctx.lib, m_ctx.view, m_ctx.sleepMs)
{
}

ResetLogDownload::ResetLogDownload(ControllerContext context, mdb::DBEngine& engine)
    : LogDownload(withPauses(std::move(context)), &engine, kResetLog),
      m_link(m_ctx.lib, m_ctx.view, m_ctx.sleepMs)
{
}

std::optional<ExportEnd> ResetLogDownload::prepare()
{
    if (!m_ctx.values.PortaAberta &&
        openLink(m_ctx, linkSettingsFrom(m_ctx.view)) != LinkOpened::Up)
        return ExportEnd::NoLink;
    return readPointer();
}

std::optional<int> ResetLogDownload::chooseRange()
{
    return kResetSlots;
}

WalkEnd ResetLogDownload::walk(ExportRun& run)
{
    for (int slot = 0; slot < kResetSlots; ++slot) {
        if (run.progress().cancelRequested())
            return WalkEnd::Cancelled;
        const SlotRead read = fetchSlot(slot, run.progress());
        if (read == SlotRead::Failed)
            return WalkEnd::ReadFailed;
        if (read == SlotRead::Cancelled)
            return WalkEnd::Cancelled;
        ResetLogWords w{};
        for (uint32_t i = 0; i < kResetWindowWords; ++i)
            w[i] = m_link.word(i);
        if (!isBlankResetSlot(w)) {
            const ResetLogRow row = decodeResetLog(w);
            m_ctx.values.qtd_log_rst = row.qtdeVariaveis;
            run.addRow([&](mdb::Recordset& rs) { writeResetLogRow(rs, row); }, row.crcValido != 0);
        }
        run.progress().recordDone();
    }
    return WalkEnd::Done;
}

ExportSteps::Told ResetLogDownload::readFailureTexts() const
{
    return {"Erro ao ler o LOG", "Erro"};
}

std::optional<ExportEnd> ResetLogDownload::readPointer()
{
    bool ok = false;
    for (int pass = 0; pass < kPointerPasses && !ok; ++pass)
        ok = m_link.read(kRegResetPointer, 1);
    if (!ok) {
        m_ctx.prompts.show("Erro ao ler o LOG", PromptIcon::Warning, kAppTitle);
        dropLink(m_ctx.lib, m_ctx.values);
        return ExportEnd::ReadFailed;
    }
    // The link poll puts the data-log pointer back at its next tick.
    m_ctx.values.PonteiroLOG = static_cast<int32_t>(m_link.word(0));
    if (m_ctx.values.ponteiro() == 0) {
        m_ctx.prompts.show("O LOG de reset está vazio!", PromptIcon::Information, kAppTitle);
        return ExportEnd::Empty;
    }
    return std::nullopt;
}

ResetLogDownload::SlotRead ResetLogDownload::fetchSlot(int slot, const DownloadProgress& progress)
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto,
                 "Lendo registro " + std::to_string(slot + 1) + " de " +
                     std::to_string(kResetSlots) + "...");
    // The select's outcome is not checked: the read tells whether the slot came.
    m_link.write(kRegResetSelect, static_cast<uint32_t>(slot), kPauseMs);
    for (int pass = 0; pass < kEntryReadPasses; ++pass) {
        view.processEvents();
        if (pass > 0 && progress.cancelRequested())
            return SlotRead::Cancelled;
        if (m_link.read(kRegResetWindow, kResetWindowWords, kPauseMs))
            return SlotRead::Read;
    }
    return SlotRead::Failed;
}
