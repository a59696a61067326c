#include "natterby/settings/settingswriters.h"
#include "natterby/settings/startupload.h"
#include "tests/fakes/tempfolder.h"
#include "tests/natterby/settings/fakestartuphost.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::settings;

class SettingsWriters : public testing::Test {
protected:
    Settings reload() {
        Settings loaded;
        FakeStartupHost host;
        loadSettings(loaded, file, folder.folder(), host);
        return loaded;
    }

    TempFolder folder;
    common::ProfileFile file{settingsFilePath(folder.folder())};
};

TEST_F(SettingsWriters, NickHistoryKeepsTheNewestFifteen) {
    NickSettings nicks;
    for (int i = 1; i <= 16; ++i) {
        recordNick(nicks, "nick" + std::to_string(i), file);
    }
    recordNick(nicks, "nick5", file); // already remembered: only the own nick changes
    EXPECT_EQ(file.readText("Nicks", "Count", ""), "15");
    EXPECT_EQ(file.readText("Nicks", "1", ""), "nick2");
    EXPECT_EQ(file.readText("Nicks", "15", ""), "nick16");
    const Settings loaded = reload();
    EXPECT_EQ(loaded.nicks.remembered, nicks.remembered);
    EXPECT_EQ(loaded.nicks.current, "nick5");
}

TEST_F(SettingsWriters, ExitSaveIsReadBackAtTheNextStart) {
    folder.write("Interf.ini", "[Position]\r\nShow=false\r\n");
    saveOnExit({{-20, 30, 640, 480}, true, {5, 6, 320, 240}, '3'}, file);
    const Settings loaded = reload();
    EXPECT_EQ(loaded.position.window, (Bounds{-20, 30, 640, 480}));
    EXPECT_EQ(loaded.position.max, 1);
    EXPECT_EQ(loaded.position.privateWindow, (Bounds{5, 6, 320, 240}));
    EXPECT_EQ(loaded.nicks.status, '3');
    EXPECT_FALSE(loaded.position.show);
}

TEST_F(SettingsWriters, ViewTogglesFlipTheirOwnSettingAndWriteItAtOnce) {
    Settings settings;
    const auto flags = [](const Settings& s) {
        return std::vector{s.view.scrolling, s.view.toolTips, s.view.balloonShow, s.view.nickVis,
                           s.view.compVis,   s.view.seconds,  s.execute.razresh};
    };
    const std::vector<bool> builtIn = flags(settings);
    for (const ViewToggle item :
         {ViewToggle::Scrolling, ViewToggle::ShowTooltip, ViewToggle::ShowBalloon,
          ViewToggle::ShowNick, ViewToggle::ShowComputers, ViewToggle::ViewSeconds,
          ViewToggle::AccessExecute}) {
        toggleView(settings, item, file);
    }
    // An item bound to another's member leaves a flag unflipped; bound to another's key, it
    // reads back differently.
    const std::vector<bool> toggled = flags(settings);
    for (std::size_t i = 0; i < builtIn.size(); ++i) {
        EXPECT_NE(toggled[i], builtIn[i]) << i;
    }
    EXPECT_EQ(flags(reload()), toggled);
    EXPECT_EQ(file.readText("Execute", "Razresh", ""), "1");
}

} // namespace
