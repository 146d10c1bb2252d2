// What a download that stopped before its end (cancelled, or a record that
// could not be read) offers: to keep the rows it read, as a copy of the
// template whose name says it is partial.
#pragma once

#include "core/controllercontext.h"

#include <string>

namespace logexport {

class ExportDatabase;

struct PartialExport {
    std::string templatePath;
    const char* marker;
    // Title of the box that tells the copy was made: the download's own.
    const char* savedTitle;
};

// Asks "Salvar os <rows> registros lidos?" when rows is above 0 (nothing read,
// nothing to keep). On "Sim" closes the template, copies it under the dated
// name with "_PARCIAL" before ".mdb" and tells "Dados parciais gravados
// (<rows> registros)" and where; on "Não" leaves the template as the download
// left it. True when the copy was made.
bool offerPartialSave(const ControllerContext& ctx,
                      ExportDatabase& db,
                      const PartialExport& what,
                      int rows);

} // namespace logexport
