// The data-log download behind "Gerar Arquivo de LOG".
#pragma once

#include "core/controllercontext.h"

namespace mdb {
class DBEngine;
}

class DataLogDownload {
public:
    // The data template goes through the process-wide database engine.
    explicit DataLogDownload(ControllerContext context);
    DataLogDownload(ControllerContext context, mdb::DBEngine& engine);
    ~DataLogDownload();
    void cmdGerar_Click();

private:
    ControllerContext m_ctx;
    // Null for the process-wide engine, which is made at the first download.
    mdb::DBEngine* m_engine = nullptr;
};
