// The reset-log download behind "LOG de Reset": a link of its own when none
// is open, the reset-log pointer, and the walk over the 78 slots with its
// pauses; ExportRun does the rest.
#pragma once

#include "logexport/devicelink.h"
#include "logexport/exportrun.h"

class ResetLogDownload : public logexport::LogDownload {
public:
    // `engine`: the process-wide one when none is given.
    explicit ResetLogDownload(ControllerContext context);
    ResetLogDownload(ControllerContext context, mdb::DBEngine& engine);

    // A partial file is offered with the question box.
    void cmdLogReset_Click() { run(logexport::PartialChoice::Ask); }

private:
    enum class SlotRead { Read, Failed, Cancelled };

    // The link (the same opening as the connect's, without its input checks
    // and its identification), then the pointer.
    std::optional<logexport::ExportEnd> prepare() override;
    std::optional<int> chooseRange() override;
    // The 78 slots; a blank one gives no row.
    logexport::WalkEnd walk(logexport::ExportRun& run) override;
    Told readFailureTexts() const override;
    // The reset-log pointer, into PonteiroLOG: unreadable (link closed) or 0
    // stop the download.
    std::optional<logexport::ExportEnd> readPointer();
    // Select the slot and read its window, yielding before each read pass.
    // A cancel seen before a repeated pass stops there: the slot in flight
    // is waited for only while its first pass runs.
    SlotRead fetchSlot(int slot, const DownloadProgress& progress);

    logexport::DeviceLink m_link;
};
