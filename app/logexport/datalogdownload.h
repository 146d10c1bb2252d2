// The data-log download behind "Gerar Arquivo de LOG".
#pragma once

#include "core/controllercontext.h"

#include <string>

class DownloadLock;
class DownloadProgress;

namespace logexport {
class ExportDatabase;
}

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
    enum class WalkEnd { Done, Cancelled, ReadFailed };

    // Fetches and stores records from log_inicial up to log_final, looking
    // for a cancel between records.
    WalkEnd walk(logexport::ExportDatabase& db, DownloadProgress& progress);
    void readFailure(logexport::ExportDatabase& db, DownloadLock& lock, int rows);
    void cancelled(logexport::ExportDatabase& db, int rows);
    // The partial-save question; after a copy, the from-to choice names the
    // records the walk had still to read, so that one click fetches them.
    void offerRest(logexport::ExportDatabase& db, int rows);

    ControllerContext m_ctx;
    std::string m_templatePath;
    // Null for the process-wide engine, which is made at the first download.
    mdb::DBEngine* m_engine = nullptr;
};
