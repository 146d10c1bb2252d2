// The reset-log download behind "LOG de Reset".
#pragma once

#include "logexport/exportenv.h"

class ResetLogDownload {
public:
    explicit ResetLogDownload(ExportEnv env);
    ~ResetLogDownload();
    void cmdLogReset_Click();

private:
    ExportEnv m_env;
};
