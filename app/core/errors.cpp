#include "core/errors.h"

#include "core/kestruneapi.h"
#include "core/prompts.h"

namespace {

// The run-time's numbers for the errors that carry none of their own.
constexpr int kErrorLoadingLibrary = 48;
constexpr int kInternalError = 51;

int numberOf(const std::exception& error)
{
    if (const auto* runtime = dynamic_cast<const RuntimeError*>(&error))
        return runtime->number();
    if (dynamic_cast<const BindError*>(&error))
        return kErrorLoadingLibrary;
    return kInternalError;
}

} // namespace

std::string errorText(const std::exception& error)
{
    return std::to_string(numberOf(error)) + " - " + error.what();
}

void reportError(Prompts& prompts, const std::exception& error)
{
    prompts.show(errorText(error), PromptIcon::Warning, kAppTitle);
}
