#include "logexport/resetlogdownload.h"

#include <utility>

ResetLogDownload::ResetLogDownload(ExportEnv env) : m_env(std::move(env)) {}
ResetLogDownload::~ResetLogDownload() = default;

void ResetLogDownload::cmdLogReset_Click() {}
