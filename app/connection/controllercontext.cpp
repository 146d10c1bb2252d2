#include "connection/controllercontext.h"

#include "connection/textnumber.h"
#include "ui/prompts.h"

std::string errorText(const std::exception& error)
{
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&error))
        return std::to_string(runtime->number()) + " - " + runtime->what();
    return error.what();
}

void reportError(Prompts& prompts, const std::exception& error)
{
    prompts.show(errorText(error), PromptIcon::Warning, kAppTitle);
}
