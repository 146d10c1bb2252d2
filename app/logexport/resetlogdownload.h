// The reset-log download behind "LOG de Reset".
#pragma once

#include "core/controllercontext.h"

#include <string>

class DownloadLock;
class DownloadProgress;

namespace logexport {
class DeviceLink;
class ExportDatabase;
} // namespace logexport

namespace mdb {
class DBEngine;
}

class ResetLogDownload {
public:
    // The reset template goes through the process-wide database engine.
    explicit ResetLogDownload(ControllerContext context);
    ResetLogDownload(ControllerContext context, mdb::DBEngine& engine);
    ~ResetLogDownload();
    void cmdLogReset_Click();

private:
    enum class SlotRead { Read, Failed, Cancelled };

    // Opens and configures the port when the link is not marked open; false
    // when the download must stop.
    bool ensureLink();
    // The reset-log pointer, into PonteiroLOG; false when unreadable (link
    // closed) or 0.
    bool readPointer(logexport::DeviceLink& link);
    // Select the slot and read its window, yielding before each read pass.
    // A cancel seen before a repeated pass stops there: the slot in flight
    // is waited for only while its first pass runs.
    SlotRead fetchSlot(logexport::DeviceLink& link, int slot, const DownloadProgress& progress);
    // The walk over the 78 slots; counts the rows stored in `rows`.
    SlotRead walk(logexport::DeviceLink& link,
                  logexport::ExportDatabase& db,
                  DownloadProgress& progress,
                  int& rows);
    void readFailure(logexport::ExportDatabase& db, DownloadLock& lock, int rows);
    void cancelled(logexport::ExportDatabase& db, int rows);

    ControllerContext m_ctx;
    std::string m_templatePath;
    // Null for the process-wide engine, which is made at the first download.
    mdb::DBEngine* m_engine = nullptr;
};
