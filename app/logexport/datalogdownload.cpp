#include "logexport/datalogdownload.h"

#include <utility>

DataLogDownload::DataLogDownload(ExportEnv env) : m_env(std::move(env)) {}
DataLogDownload::~DataLogDownload() = default;

void DataLogDownload::cmdGerar_Click() {}
