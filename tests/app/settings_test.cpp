// Window load from the settings store, the store's round trip through
// QSettings, and the title.
#include "connection/connectionsettings.h"
#include "connection/dynamickestrune.h"
#include "connection/formlifecycle.h"
#include "connection/settingsstore.h"
#include "fakeview.h"
#include "recordingprompts.h"
#include "ui/formvalues.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

class FormLoadTest : public testing::Test {
protected:
    void load()
    {
        FormLifecycle form({lib, view, values, prompts, store}, "/opt/logqvr/bin");
        form.Form_Load();
    }
    DynamicKestrune lib;
    FakeView view;
    FormValues values;
    RecordingPrompts prompts;
    MemorySettingsStore store;
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
    FormLifecycle form({lib, view, values, prompts, store}, "/x");
    EXPECT_NO_THROW(form.Form_Unload());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(QtSettings, RoundTripKeepsTextsExactly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("LOG_QVR.conf").toStdString();
    const std::pair<const char*, const char*> entries[] = {{"Timeout", "200"},
                                                           {"Retries", "010"},
                                                           {"Baudrate", "-1"},
                                                           {"COM", "1, 2"},
                                                           {"Endereco", "  7"},
                                                           {"Caminho", "/tmp/Saída dados/"},
                                                           {"Top", "1500"},
                                                           {"Left", "true"}};
    {
        auto store = QtSettingsStore::atFile(path);
        for (auto [key, text] : entries)
            store->setValue(key, text);
        store->sync();
    }
    auto again = QtSettingsStore::atFile(path);
    for (auto [key, text] : entries)
        EXPECT_EQ(again->value(key), std::optional<std::string>(text)) << key;
    EXPECT_FALSE(again->value("TopAbout").has_value());
}

TEST(QtSettings, KeysLiveInTheParamsGroupOfOneFilePerProgramName)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ::setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
    {
        QtSettingsStore store("LOG_QVR");
        store.setValue("COM", "3");
        store.sync();
        EXPECT_EQ(store.fileName(), home.filePath("Quorvane/LOG_QVR.conf").toStdString());
    }
    QFile file(home.filePath("Quorvane/LOG_QVR.conf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("[Params]")) << content.constData();
    EXPECT_TRUE(content.contains("COM=3")) << content.constData();

    QtSettingsStore other("OTRO");
    EXPECT_FALSE(other.value("COM").has_value()) << "another program name, another file";
}

} // namespace

namespace {

TEST(QtSettings, ProgramNameIsTheFileNameWithoutItsExtension)
{
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR"), "LOG_QVR");
    EXPECT_EQ(settingsNameOf("/opt/logqvr/bin/LOG_QVR.bin"), "LOG_QVR");
    // Only the last suffix is the extension: a renamed copy keeps its own name.
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v2.bin"), "LOG_QVR.v2");
    EXPECT_EQ(settingsNameOf("/srv/LOG_QVR.v3.bin"), "LOG_QVR.v3");
    EXPECT_EQ(settingsNameOf("/srv/.qvr"), ".qvr");
}

} // namespace
