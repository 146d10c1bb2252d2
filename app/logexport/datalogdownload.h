// The data-log download behind "Gerar Arquivo de LOG": the range choice and
// the walk over the device's record ring; ExportRun does the rest.
#pragma once

#include "logexport/exportrun.h"

class DataLogDownload : public logexport::LogDownload {
public:
    // `engine`: the process-wide one when none is given.
    explicit DataLogDownload(ControllerContext context);
    DataLogDownload(ControllerContext context, mdb::DBEngine& engine);

    // A partial file is offered with the question box.
    void cmdGerar_Click() { run(logexport::PartialChoice::Ask); }

private:
    std::optional<logexport::ExportEnd> prepare() override;
    // log_inicial and log_final from the option chosen. Conversions raise
    // RuntimeError, as do 16-bit overflows (a pointer above 32767).
    std::optional<int> chooseRange() override;
    // From log_inicial up to log_final, looking for a cancel between records.
    logexport::WalkEnd walk(logexport::ExportRun& run) override;
    Told readFailureTexts() const override;
    // The from-to choice then names the records the walk had still to read,
    // so that one click fetches them.
    void partialSaved() override;
};
