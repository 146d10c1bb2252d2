// Window load from the settings store, the program name the settings live
// under, and the title.
#include "connection/connectionsettings.h"
#include "connection/dynamickestrune.h"
#include "connection/formlifecycle.h"
#include "core/clock.h"
#include "core/formvalues.h"
#include "core/settingsstore.h"
#include "fakeview.h"
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

TEST(BaudIndex, OnlyWholeNumbersFromZeroToFiveSelectAnEntry)
{
    EXPECT_EQ(baudIndexFromText("0"), 0);
    EXPECT_EQ(baudIndexFromText("5"), 5);
    EXPECT_EQ(baudIndexFromText(" 3 "), 3);
    EXPECT_EQ(baudIndexFromText("2.5"), 2) << "halves to even, as the conversion does";
    EXPECT_EQ(baudIndexFromText("-1"), -1);
    EXPECT_EQ(baudIndexFromText("6"), -1);
    EXPECT_EQ(baudIndexFromText("-2"), -1);
    EXPECT_EQ(baudIndexFromText("abc"), -1);
    EXPECT_EQ(baudIndexFromText(""), -1);
    EXPECT_EQ(baudIndexFromText("99999999"), -1);
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
}

TEST(SettingsName, ProgramNameIsTheFileNameWithoutItsExtension)
{
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR"), "LOG_QVR");
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR.bin"), "LOG_QVR");
    // Only the last suffix is the extension: a renamed copy keeps its own name.
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v2.bin"), "LOG_QVR.v2");
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v3.bin"), "LOG_QVR.v3");
    EXPECT_EQ(settingsNameOf("/srv/.qvr"), ".qvr");
}

} // namespace
