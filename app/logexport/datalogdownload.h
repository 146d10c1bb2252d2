// The data-log download behind "Gerar Arquivo de LOG".
#pragma once

#include "logexport/exportenv.h"

class DataLogDownload {
public:
    explicit DataLogDownload(ExportEnv env);
    ~DataLogDownload();
    void cmdGerar_Click();

private:
    ExportEnv m_env;
};
