// The reset-log download behind "LOG de Reset".
#pragma once

#include "core/controllercontext.h"

namespace logexport {
class DeviceLink;
}

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
    // Opens and configures the port when the link is not marked open; false
    // when the download must stop.
    bool ensureLink();
    // The reset-log pointer, into PonteiroLOG; false when unreadable (link
    // closed) or 0.
    bool readPointer(logexport::DeviceLink& link);
    // Select the slot and read its window, yielding before each read pass.
    bool fetchSlot(logexport::DeviceLink& link, int slot);

    ControllerContext m_ctx;
    // Null for the process-wide engine, which is made at the first download.
    mdb::DBEngine* m_engine = nullptr;
};
