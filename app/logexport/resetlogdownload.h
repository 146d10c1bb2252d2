// The reset-log download behind "LOG de Reset".
#pragma once

#include "logexport/exportenv.h"

namespace logexport {
class DeviceLink;
}

class ResetLogDownload {
public:
    explicit ResetLogDownload(ExportEnv env);
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

    ExportEnv m_env;
};
