#include "logexport/partialsave.h"

#include "core/formview.h"
#include "core/prompts.h"
#include "logexport/exportdatabase.h"

namespace logexport {

bool offerPartialSave(const ControllerContext& ctx,
                      ExportDatabase& db,
                      const PartialExport& what,
                      int rows)
{
    if (rows <= 0)
        return false;
    if (!ctx.prompts.ask("Salvar os " + std::to_string(rows) + " registros lidos?", kAppTitle))
        return false;
    const std::string name = db.closeAndCopy(what.templatePath,
                                             ctx.view.text(Control::txtCaminho),
                                             what.marker,
                                             ctx.view.text(Control::txtEnd),
                                             ctx.clock,
                                             kPartialSuffix);
    if (ctx.fileWritten)
        ctx.fileWritten(name);
    // Told apart from a whole download's "Dados gravados com sucesso" by more
    // than the name; and the technician has to find the file: the whole name,
    // folder included.
    ctx.prompts.show("Dados parciais gravados (" + std::to_string(rows) + " registros)\n" + name,
                     PromptIcon::Information,
                     what.savedTitle);
    return true;
}

} // namespace logexport
