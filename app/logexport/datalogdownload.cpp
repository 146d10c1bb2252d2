#include "logexport/datalogdownload.h"

#include "core/formvalues.h"
#include "core/formview.h"
#include "core/prompts.h"
#include "core/textnumber.h"
#include "logexport/datalogrecord.h"
#include "logexport/datalogwalk.h"
#include "logexport/devicehistory.h"
#include "logexport/devicelink.h"

#include <utility>

using namespace logexport;

namespace {

const std::string kCapacityText = std::to_string(kLogCapacity);

const ExportKind kDataLog{
    .templateName = kDataTemplate,
    .marker = kDataMarker,
    .savedTitle = kAppTitle,
    .stopsPoll = true,
    .errorAlwaysRestores = true,
};

void tell(Prompts& prompts, const std::string& text)
{
    prompts.show(text, PromptIcon::Information, kAppTitle);
}

// The last N records up to PonteiroLOG, wrapping below 0; false when N is
// more than the log holds (told).
bool chooseLastN(const FormView& view, FormValues& v, Prompts& prompts)
{
    const double n = textnum::toDouble(view.text(Control::txtUltimos));
    if (n > kLogCapacity) {
        tell(prompts, "Quantidade máxima de LOGs = " + kCapacityText);
        return false;
    }
    v.log_final = textnum::roundToInt16(v.ponteiro());
    v.log_inicial = textnum::roundToInt16(v.log_final - n + 1);
    if (v.log_inicial < 0)
        v.log_inicial = textnum::roundToInt16(v.log_inicial + kLogCapacity);
    return true;
}

// A from-to bound must be a record number of the log; `which` names it when
// it is not.
bool boundRefused(double value, const char* which, Prompts& prompts)
{
    if (!(value < 1 || value > kLogCapacity))
        return false;
    tell(prompts,
         std::string("Registro ") + which + " de leitura inválido. (1 a " + kCapacityText + ")");
    return true;
}

bool chooseFromTo(const FormView& view, FormValues& v, Prompts& prompts)
{
    // txtAte is looked at only once txtDe has passed: a bad first record is
    // told as such even when the last one is no number.
    if (boundRefused(textnum::toDouble(view.text(Control::txtDe)), "inicial", prompts) ||
        boundRefused(textnum::toDouble(view.text(Control::txtAte)), "final", prompts))
        return false;
    v.log_inicial = textnum::toInt16(view.text(Control::txtDe));
    v.log_final = textnum::toInt16(view.text(Control::txtAte));
    return true;
}

} // namespace

DataLogDownload::DataLogDownload(ControllerContext context, DeviceHistory* history)
    : LogDownload(std::move(context), nullptr, kDataLog), m_history(history)
{
}

DataLogDownload::DataLogDownload(ControllerContext context,
                                 mdb::DBEngine& engine,
                                 DeviceHistory* history)
    : LogDownload(std::move(context), &engine, kDataLog), m_history(history)
{
}

std::optional<ExportEnd> DataLogDownload::prepare()
{
    if (m_ctx.values.ponteiro() != 0)
        return std::nullopt;
    m_ctx.prompts.show("O LOG está vazio!", PromptIcon::Information, kAppTitle);
    return ExportEnd::Empty;
}

std::optional<int> DataLogDownload::chooseRange()
{
    FormView& view = m_ctx.view;
    FormValues& v = m_ctx.values;
    v.log_inicial = 0;
    v.log_final = 0;
    if (view.isChecked(Control::optUltimos) && !chooseLastN(view, v, m_ctx.prompts))
        return std::nullopt;
    if (view.isChecked(Control::optAte) && !chooseFromTo(view, v, m_ctx.prompts))
        return std::nullopt;
    // The walk's end is exclusive.
    v.log_final = textnum::roundToInt16(v.log_final + 1.0);
    if (view.isChecked(Control::optInteira)) {
        v.log_inicial = 0;
        v.log_final = kLogCapacity;
    }
    if (v.log_final > kLogCapacity)
        v.log_final = 0;
    return walkLength(v.log_inicial, v.log_final);
}

WalkEnd DataLogDownload::walk(ExportRun& run)
{
    FormView& view = m_ctx.view;
    FormValues& v = m_ctx.values;
    DeviceLink link(m_ctx.lib, view);
    // The timer is off for the run, so the pointer is the one the range was chosen against.
    m_saved = SavedRun{v.log_inicial, v.ponteiro(), {}};
    while (v.log_inicial != v.log_final) {
        // A cancel is seen in a record's yield, between its select and its
        // read; that record is read and stored first, then the walk stops.
        if (run.progress().cancelRequested())
            return WalkEnd::Cancelled;
        view.setText(Control::lblTexto, "Lendo registro " + std::to_string(v.log_inicial) + "...");
        if (!fetchDataLogRecord(link, view, v.log_inicial))
            return WalkEnd::ReadFailed;
        const DataLogRow row = decodeDataLog(readDataLogWords(link));
        run.addRow([&](mdb::Recordset& rs) { writeDataLogRow(rs, row); }, row.crcValido != 0);
        m_saved.add(v.log_inicial, {row.data, row.hora});
        v.log_inicial = nextRecord(v.log_inicial);
        run.progress().recordDone();
    }
    return WalkEnd::Done;
}

ExportSteps::Told DataLogDownload::readFailureTexts() const
{
    const std::string text = "Erro ao ler o LOG. (Download parou no registro " +
                             std::to_string(m_ctx.values.log_inicial - 1) + ")";
    return {text, text};
}

void DataLogDownload::saved(bool partial)
{
    if (m_history)
        m_history->saved(m_saved);
    if (!partial)
        return;
    chooseRecords(m_ctx.view,
                  restOfWalk(m_ctx.values.log_inicial, m_ctx.values.log_final),
                  m_ctx.values.ponteiro());
}
