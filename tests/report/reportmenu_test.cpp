// The "Relatório" menu's shared half, as both windows drive it: the last file
// a download wrote (through the real download against the simulator), the
// file dialog's answer (a scripted picker), bad files told in a box, the
// user's folder when the log's own may not be written, and a browser that
// does not open.
#include "core/settingsstore.h"
#include "downloadrig.h"
#include "form/reportmenu.h"
#include "logexport/datalogdownload.h"
#include "logfiles.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using reporttest::record;

namespace {

class ScriptedLogPicker : public LogFilePicker {
public:
    std::optional<std::string> chooseLog(const std::string& startFolder) override
    {
        startFolders.push_back(startFolder);
        return answer;
    }
    std::optional<std::string> answer;
    std::vector<std::string> startFolders;
};

class RecordingBrowser : public ReportBrowser {
public:
    bool show(const std::string& htmlPath) override
    {
        shown.push_back(htmlPath);
        return opens;
    }
    bool opens = true;
    std::vector<std::string> shown;
};

class Menu : public reporttest::LogFiles {
protected:
    MemorySettingsStore settings;
    RecordingPrompts prompts;
    RecordingBrowser browser;
    ScriptedLogPicker picker;
    ReportMenu menu{settings, prompts, browser, path("own")};
};

} // namespace

TEST_F(Menu, TheLastLogIsTheLastFileADownloadWroteWhileItIsThere)
{
    DownloadRig rig;
    std::string why;
    if (!rig.start(&why))
        GTEST_SKIP() << why;
    rig.device.withState([](sim::DeviceState& s) { s.fillDataLog(20); });
    rig.connect();
    rig.values.PonteiroLOG = 20;
    rig.view.setChecked(Control::optUltimos, true);
    rig.view.setText(Control::txtUltimos, "5");
    ControllerContext ctx = rig.context();
    ctx.fileWritten = [this](const std::string& p) { menu.fileWritten(p); };
    EXPECT_FALSE(menu.lastLog());
    DataLogDownload(ctx).cmdGerar_Click();

    const std::string written = rig.outputFolder() + "/LOG_QVR_END" + DownloadRig::kStamp;
    EXPECT_EQ(menu.lastLog(), written);
    EXPECT_EQ(settings.value(reportkey::kUltimoLog), written);
    menu.openLastLog();
    ASSERT_EQ(browser.shown.size(), 1u);
    EXPECT_EQ(browser.shown[0], written.substr(0, written.size() - 4) + ".html");
    EXPECT_TRUE(fs::exists(browser.shown[0]));

    fs::remove(written);
    EXPECT_FALSE(menu.lastLog());
}

TEST_F(Menu, ChosenFilesAreReportedOrToldAndNothingIsLeft)
{
    const std::string good = dataLog("bom.mdb", {record(5, 3, 24, 14, 5, 9, 1)});
    std::ofstream(path("texto.mdb")) << "oi";
    const std::vector<std::string> bad = {path("nada.mdb"), path("texto.mdb")};
    for (const std::string& file : bad) {
        picker.answer = file;
        menu.openChosen(picker, "/pasta/de/saida/");
        ASSERT_FALSE(prompts.shown.empty());
        EXPECT_EQ(prompts.shown.back().icon, PromptIcon::Warning);
        EXPECT_EQ(prompts.shown.back().text.rfind("Não foi possível gerar o relatório de \"" +
                                                      file + "\": ",
                                                  0),
                  0u);
    }
    EXPECT_EQ(picker.startFolders,
              (std::vector<std::string>{"/pasta/de/saida/", "/pasta/de/saida/"}));
    EXPECT_TRUE(browser.shown.empty());
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"bom.mdb", "texto.mdb"}));

    picker.answer.reset(); // cancelled
    menu.openChosen(picker, "");
    EXPECT_EQ(prompts.shown.size(), bad.size());

    // The log's folder refuses the page (a folder holds its name): the
    // user's own folder takes it, and a browser that does not open leaves
    // the user the page's place.
    fs::create_directory(path("bom.html"));
    browser.opens = false;
    picker.answer = good;
    menu.openChosen(picker, dir());
    ASSERT_EQ(browser.shown.size(), 1u);
    EXPECT_EQ(browser.shown[0], path("own/bom.html"));
    ASSERT_EQ(prompts.shown.size(), bad.size() + 1);
    EXPECT_EQ(prompts.shown.back().text,
              "O navegador não abriu. O relatório foi gravado em:\n" + path("own/bom.html"));
    EXPECT_EQ(prompts.shown.back().icon, PromptIcon::Information);
}
