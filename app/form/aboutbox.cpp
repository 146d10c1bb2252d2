#include "form/aboutbox.h"

#include "core/errors.h"
#include "core/formlayout.h"
#include "core/prompts.h"
#include "core/settingsstore.h"
#include "core/textnumber.h"
#include "logqvr_version.h"

std::string aboutCaption()
{
    return std::string("Sobre ") + kAppTitle;
}

std::string aboutVersionText()
{
    return "Versão " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionPatch);
}

ScreenPoint aboutPosition(const SettingsStore& store)
{
    return {twipsSetting(store, settingskey::kLeftAbout) / kTwipsPerPixel,
            twipsSetting(store, settingskey::kTopAbout) / kTwipsPerPixel};
}

int twipsSetting(const SettingsStore& store, const char* key)
{
    const std::optional<std::string> text = store.value(key);
    if (!text)
        return 0;
    try {
        return textnum::roundToInt32(textnum::toDouble(*text));
    } catch (const RuntimeError&) {
        return 0;
    }
}
