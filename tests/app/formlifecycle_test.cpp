// Window load from the settings store and the title; unload closes the port.
#include "connection/dynamickestrune.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
#include "form/formlifecycle.h"
#include "recordingprompts.h"

#include <gtest/gtest.h>

namespace {

class FormLoadTest : public testing::Test {
protected:
    void load()
    {
        FormLifecycle form(context("/opt/logqvr/bin/"));
        form.Form_Load();
    }
    ControllerContext context(const std::string& firstRunCaminho)
    {
        return {{lib, prompts, store, clock, "/opt/logqvr/bin", {}, firstRunCaminho}, view, values};
    }
    DynamicKestrune lib;
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    MemorySettingsStore store;
    SystemClock clock;
};

TEST_F(FormLoadTest, FirstRunUsesTheDefaults)
{
    values.PortaAberta = true;
    load();
    EXPECT_FALSE(values.PortaAberta);
    EXPECT_EQ(view.text(Control::txtTimeout), "200");
    EXPECT_EQ(view.text(Control::txtRetry), "10");
    EXPECT_EQ(view.listIndex(Control::cboBaudRate), 5);
    EXPECT_EQ(view.text(Control::cboBaudRate), "     115200");
    EXPECT_EQ(view.text(Control::txtCOM), "1");
    EXPECT_EQ(view.text(Control::txtEnd), "1");
    EXPECT_EQ(view.text(Control::txtCaminho), "/opt/logqvr/bin/");
    EXPECT_EQ(view.title, "Log - QVR/KPW - Quorvane - V1.0.0 - Fw v1.24 r4");
    EXPECT_TRUE(store.writeOrder().empty()) << "load writes nothing";
}

TEST_F(FormLoadTest, StoredTextsAreShownUnchanged)
{
    store.setValue("Timeout", "123456");
    store.setValue("Retries", "2.5");
    store.setValue("Baudrate", "1");
    store.setValue("COM", "abc");
    store.setValue("Endereco", " 17 ");
    store.setValue("Caminho", "/home/t/Ações/");
    load();
    EXPECT_EQ(view.text(Control::txtTimeout), "123456");
    EXPECT_EQ(view.text(Control::txtRetry), "2.5");
    EXPECT_EQ(view.text(Control::cboBaudRate), "     9600");
    EXPECT_EQ(view.text(Control::txtCOM), "abc");
    EXPECT_EQ(view.text(Control::txtEnd), " 17 ");
    EXPECT_EQ(view.text(Control::txtCaminho), "/home/t/Ações/");
}

TEST_F(FormLoadTest, MinusOneBaudLeavesTheListEmpty)
{
    store.setValue("Baudrate", "-1");
    load();
    EXPECT_EQ(view.listIndex(Control::cboBaudRate), -1);
    EXPECT_EQ(view.text(Control::cboBaudRate), "");
}

TEST_F(FormLoadTest, UnloadClosesEvenWithoutAPort)
{
    FormLifecycle form(context("/x"));
    EXPECT_NO_THROW(form.Form_Unload());
    EXPECT_TRUE(prompts.shown.empty());
    // Nor without a library, which never opened a port then.
    DynamicKestrune absent("libkestrune-absent.so");
    values.PortaAberta = true;
    FormLifecycle unbound({{absent, prompts, store, clock, "/x", {}, "/x/"}, view, values});
    EXPECT_NO_THROW(unbound.Form_Unload());
    EXPECT_FALSE(values.PortaAberta);
}

} // namespace
