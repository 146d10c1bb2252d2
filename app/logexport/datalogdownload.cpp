#include "logexport/datalogdownload.h"

#include "connection/portlink.h"
#include "connection/textnumber.h"
#include "core/errors.h"
#include "core/formvalues.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "logexport/datalogrecord.h"
#include "logexport/datalogwalk.h"
#include "logexport/devicelink.h"
#include "logexport/downloadlock.h"
#include "logexport/downloadprogress.h"
#include "logexport/exportdatabase.h"
#include "logexport/partialsave.h"
#include "mdb/dao.h"

#include <utility>

using namespace logexport;

namespace {

const std::string kCapacityText = std::to_string(kLogCapacity);

void enableExportControls(FormView& view)
{
    view.setEnabled(Control::cmdGerar, true);
    view.setEnabled(Control::cmdLogReset, true);
    view.setEnabled(Control::Timer1, true);
}

// Sets log_inicial and log_final from the range choice; false when the user
// asked for something out of range (already told). Conversions raise
// RuntimeError, as do 16-bit overflows (a pointer above 32767).
bool chooseRange(FormView& view, FormValues& v, Prompts& prompts)
{
    v.log_inicial = 0;
    v.log_final = 0;
    if (view.isChecked(Control::optUltimos)) {
        const double n = textnum::toDouble(view.text(Control::txtUltimos));
        if (n > kLogCapacity) {
            prompts.show("Quantidade máxima de LOGs = " + kCapacityText,
                         PromptIcon::Information,
                         kAppTitle);
            return false;
        }
        v.log_final = textnum::roundToInt16(v.ponteiro());
        v.log_inicial = textnum::roundToInt16(v.log_final - n + 1);
        if (v.log_inicial < 0)
            v.log_inicial = textnum::roundToInt16(v.log_inicial + kLogCapacity);
    }
    if (view.isChecked(Control::optAte)) {
        // txtAte is looked at only once txtDe has passed: a bad first record is
        // told as such even when the last one is no number.
        const double first = textnum::toDouble(view.text(Control::txtDe));
        if (first < 1 || first > kLogCapacity) {
            prompts.show("Registro inicial de leitura inválido. (1 a " + kCapacityText + ")",
                         PromptIcon::Information,
                         kAppTitle);
            return false;
        }
        const double last = textnum::toDouble(view.text(Control::txtAte));
        if (last < 1 || last > kLogCapacity) {
            prompts.show("Registro final de leitura inválido. (1 a " + kCapacityText + ")",
                         PromptIcon::Information,
                         kAppTitle);
            return false;
        }
        v.log_inicial = textnum::toInt16(view.text(Control::txtDe));
        v.log_final = textnum::toInt16(view.text(Control::txtAte));
    }
    // The walk's end is exclusive.
    v.log_final = textnum::roundToInt16(v.log_final + 1.0);
    if (view.isChecked(Control::optInteira)) {
        v.log_inicial = 0;
        v.log_final = kLogCapacity;
    }
    if (v.log_final > kLogCapacity)
        v.log_final = 0;
    return true;
}

} // namespace

DataLogDownload::DataLogDownload(ControllerContext context)
    : m_ctx(std::move(context)), m_templatePath(m_ctx.templateFolder + kDataTemplate)
{
}

DataLogDownload::DataLogDownload(ControllerContext context, mdb::DBEngine& engine)
    : DataLogDownload(std::move(context))
{
    m_engine = &engine;
}

DataLogDownload::~DataLogDownload() = default;

void DataLogDownload::cmdGerar_Click()
{
    FormView& view = m_ctx.view;
    FormValues& v = m_ctx.values;
    if (v.ponteiro() == 0) {
        m_ctx.prompts.show("O LOG está vazio!", PromptIcon::Information, kAppTitle);
        return;
    }
    ExportDatabase db(m_engine ? *m_engine : mdb::dbEngine());
    DownloadLock lock(view, v);
    DownloadProgress progress(view, v);
    try {
        db.open(m_templatePath);
        view.setEnabled(Control::Timer1, false);
        db.clearTable();
        view.setText(Control::lblTexto, "");
        view.setEnabled(Control::cmdGerar, false);
        view.setEnabled(Control::cmdLogReset, false);
        lock.hold();

        if (!chooseRange(view, v, m_ctx.prompts)) {
            db.close();
            enableExportControls(view);
            return;
        }

        progress.begin(walkLength(v.log_inicial, v.log_final));
        const WalkEnd end = walk(db, progress);
        progress.end();
        if (end == WalkEnd::ReadFailed) {
            readFailure(db, lock, progress.recordsDone());
            return;
        }
        if (end == WalkEnd::Cancelled) {
            cancelled(db, progress.recordsDone());
            return;
        }
        const std::string name = db.closeAndCopy(m_templatePath,
                                                 view.text(Control::txtCaminho),
                                                 kDataMarker,
                                                 view.text(Control::txtEnd),
                                                 m_ctx.clock);
        if (m_ctx.fileWritten)
            m_ctx.fileWritten(name);
        m_ctx.prompts.show("Dados gravados com sucesso", PromptIcon::Information, kAppTitle);
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " FIM");
        enableExportControls(view);
    } catch (const std::exception& e) {
        progress.end();
        m_ctx.prompts.show(errorText(e), PromptIcon::Warning, "");
        db.closeQuietly();
        view.setText(Control::lblTexto, view.text(Control::lblTexto) + " ERRO");
        enableExportControls(view);
    }
}

DataLogDownload::WalkEnd DataLogDownload::walk(ExportDatabase& db, DownloadProgress& progress)
{
    FormView& view = m_ctx.view;
    FormValues& v = m_ctx.values;
    DeviceLink link(m_ctx.lib, view);
    while (v.log_inicial != v.log_final) {
        // A cancel is seen in a record's yield, between its select and its
        // read; that record is read and stored first, then the walk stops.
        if (progress.cancelRequested())
            return WalkEnd::Cancelled;
        view.setText(Control::lblTexto, "Lendo registro " + std::to_string(v.log_inicial) + "...");
        if (!fetchDataLogRecord(link, view, v.log_inicial))
            return WalkEnd::ReadFailed;
        const DataLogRow row = decodeDataLog(readDataLogWords(link));
        db.addRow([&](mdb::Recordset& rs) { writeDataLogRow(rs, row); });
        v.log_inicial = nextRecord(v.log_inicial);
        progress.recordDone();
    }
    return WalkEnd::Done;
}

void DataLogDownload::readFailure(ExportDatabase& db, DownloadLock& lock, int rows)
{
    FormView& view = m_ctx.view;
    const std::string text = "Erro ao ler o LOG. (Download parou no registro " +
                             std::to_string(m_ctx.values.log_inicial - 1) + ")";
    m_ctx.prompts.show(text, PromptIcon::Warning, kAppTitle);
    view.setText(Control::lblTexto, text);
    view.setEnabled(Control::cmdGerar, true);
    view.setEnabled(Control::cmdLogReset, true);
    dropLink(m_ctx.lib, m_ctx.values);
    // The link is closed: the port fields come back at once.
    lock.release();
    view.setEnabled(Control::Timer1, true);
    db.close();
    offerRest(db, rows);
}

void DataLogDownload::cancelled(ExportDatabase& db, int rows)
{
    FormView& view = m_ctx.view;
    view.setText(Control::lblTexto, view.text(Control::lblTexto) + " CANCELADO");
    db.close();
    offerRest(db, rows);
    enableExportControls(view);
}

void DataLogDownload::offerRest(ExportDatabase& db, int rows)
{
    if (!offerPartialSave(m_ctx, db, {m_templatePath, kDataMarker, kAppTitle}, rows))
        return;
    const RecordRange rest = restOfWalk(m_ctx.values.log_inicial, m_ctx.values.log_final);
    m_ctx.view.setChecked(Control::optAte, true);
    m_ctx.view.setText(Control::txtDe, std::to_string(rest.first));
    m_ctx.view.setText(Control::txtAte, std::to_string(rest.last));
}
