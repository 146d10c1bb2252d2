#include "connection/connectionsettings.h"

#include "core/formview.h"
#include "core/settingsstore.h"
#include "core/textnumber.h"
#include "logqvr_version.h"

namespace {

std::string valueOr(const SettingsStore& store, const char* key, const std::string& fallback)
{
    return store.value(key).value_or(fallback);
}

} // namespace

int baudIndexFromText(const std::string& text)
{
    try {
        const int16_t index = textnum::toInt16(text);
        if (index >= 0 && index <= 5)
            return index;
    } catch (const RuntimeError&) {
        // Unreadable text: leave the list without a selection, as -1 does.
    }
    return -1;
}

ConnectionSettings ConnectionSettings::load(const SettingsStore& store,
                                            const std::string& firstRunCaminho)
{
    using namespace settingskey;
    ConnectionSettings s;
    s.timeout = valueOr(store, kTimeout, "200");
    s.retries = valueOr(store, kRetries, "10");
    s.baudIndex = baudIndexFromText(valueOr(store, kBaudrate, "5"));
    s.com = valueOr(store, kCom, "1");
    s.endereco = valueOr(store, kEndereco, "1");
    s.caminho = valueOr(store, kCaminho, firstRunCaminho);
    return s;
}

void saveConnectionSettings(SettingsStore& store, const FormView& view)
{
    using namespace settingskey;
    store.setValue(kTimeout, view.text(Control::txtTimeout));
    store.setValue(kRetries, view.text(Control::txtRetry));
    store.setValue(kBaudrate, std::to_string(view.listIndex(Control::cboBaudRate)));
    store.setValue(kCom, view.text(Control::txtCOM));
    store.setValue(kEndereco, view.text(Control::txtEnd));
    store.setValue(kCaminho, view.text(Control::txtCaminho));
    store.setValue(kTop, std::to_string(view.topTwips()));
    store.setValue(kLeft, std::to_string(view.leftTwips()));
}

std::string windowTitle()
{
    return "Log - QVR/KPW - Quorvane - V" + std::to_string(kVersionMajor) + "." +
           std::to_string(kVersionMinor) + "." + std::to_string(kVersionPatch) + " - Fw v1.24 r4";
}
