// The Qt settings store: texts kept exactly through QSettings, one file per
// program name, keys in the group "Params".
#include "ui/qtsettingsstore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

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
