// The data-log download behind "Gerar Arquivo de LOG": the range choice and
// the walk over the device's record ring; ExportRun does the rest.
#pragma once

#include "logexport/exportrun.h"
#include "logexport/lastsaved.h"

namespace logexport {
class DeviceHistory;
}

class DataLogDownload : public logexport::LogDownload {
public:
    // `engine`: the process-wide one when none is given. `history`, when
    // given, is told of every file written, whole or partial.
    explicit DataLogDownload(ControllerContext context,
                             logexport::DeviceHistory* history = nullptr);
    DataLogDownload(ControllerContext context,
                    mdb::DBEngine& engine,
                    logexport::DeviceHistory* history = nullptr);

    // A partial file is offered with the question box.
    void cmdGerar_Click() { run(logexport::PartialChoice::Ask); }

    // The records the last run stored, in walk order, with the pointer it
    // ran against: what its file holds when it wrote one.
    const logexport::SavedRun& savedRun() const { return m_saved; }

private:
    std::optional<logexport::ExportEnd> prepare() override;
    // log_inicial and log_final from the option chosen. Conversions raise
    // RuntimeError, as do 16-bit overflows (a pointer above 32767).
    std::optional<int> chooseRange() override;
    // From log_inicial up to log_final, looking for a cancel between records.
    logexport::WalkEnd walk(logexport::ExportRun& run) override;
    Told readFailureTexts() const override;
    // The memory moves over what the file holds. After a partial file the
    // from-to choice names the records the walk had still to read, so that
    // one click fetches them.
    void saved(bool partial) override;

    logexport::DeviceHistory* m_history;
    logexport::SavedRun m_saved;
};
