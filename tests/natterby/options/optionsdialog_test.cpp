#include "natterby/options/optionsdialog.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/qtapplication.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

using namespace natterby::settings;

class RecordingHost final : public OptionsHost {
public:
    QIcon trayImage(int) const override { return {}; }
    void appearanceChanged() override { ++appearanceChanges; }
    void trayIconChanged() override { ++trayIconChanges; }
    void genderChanged() override { ++genderChanges; }

    int appearanceChanges = 0;
    int trayIconChanges = 0;
    int genderChanges = 0;
};

// Answers every chooser at once with what the test put in; nothing means Cancel.
class ScriptedChoosers final : public OptionsChoosers {
public:
    std::optional<QFont> chooseFont(QWidget*, const QFont& initial) override {
        fontsAsked.push_back(initial);
        return font;
    }
    std::optional<QColor> chooseColour(QWidget*, const QColor&) override { return colour; }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return {}; }
    std::optional<QString> chooseSoundFile(QWidget*, const QString&) override { return soundFile; }

    std::optional<QFont> font;
    std::optional<QColor> colour;
    std::optional<QString> soundFile;
    std::vector<QFont> fontsAsked;
};

class Options : public ::testing::Test {
protected:
    Options() { fakes::qtApplication(); }

    // A dialog on the settings file as it is then.
    std::unique_ptr<OptionsDialog> open() {
        return std::make_unique<OptionsDialog>(OptionsSeams{ann.settings, ann.settingsFile,
                                                            language, ann.codePage, ann.chat, host,
                                                            choosers, ann.folder.folder()});
    }
    void writeSettings(std::string_view content) { ann.folder.write("Interf.ini", content); }
    std::string settingsFile() const { return TempFolder::read(ann.settingsFile.path()); }

    template <typename Widget> static Widget* child(const OptionsDialog& dialog, const char* name) {
        auto* found = dialog.findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void press(const OptionsDialog& dialog, const char* name) {
        child<QPushButton>(dialog, name)->click();
    }

    fakes::Lan lan;
    fakes::Peer& ann = lan.add("Ann", [](Settings& settings) {
        settings.ignore = {"#Bob#", "#"};
        settings.fonts.fill({"Sans", 125, 0x000080, false, true});
    });
    fakes::Peer& bob = lan.add("Bob");
    const common::LanguageTexts language{ann.folder.file("LangRus.ini")};
    RecordingHost host;
    ScriptedChoosers choosers;
};

TEST_F(Options, OkWithoutChangesWritesOnlyTheKeysItAlwaysWrites) {
    ann.folder.write("LangRus.ini", "[Lang]\r\nLang=Russian\r\n");
    // No UDPPort: the dialog shows the port the program starts with, so OK changes nothing.
    const std::string before = "[Language]\r\nini=LangRus\r\n"
                               "[Channels]\r\nChannels=#Work#Games\r\nChannelsVis=#1#0\r\n"
                               "Protocol=#0#1\r\n";
    writeSettings(before);
    auto dialog = open();
    press(*dialog, "ok");

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->restartNeeded());
    EXPECT_EQ(settingsFile(), before + "[Nicks]\r\nGender=0\r\n"
                                       "[Ignore]\r\nChannels=#Bob#\r\nMessage=#\r\n"
                                       "[Sounds]\r\nPC1=0\r\nPC2=0\r\nPC3=0\r\nPC4=0\r\nPC5=0\r\n");
    EXPECT_EQ(host.trayIconChanges, 0);
}

TEST_F(Options, TransportChangesAreWrittenAsTypedForTheNextStart) {
    writeSettings("[Net]\r\nUDPPort=8198\r\n[Language]\r\nini=Gone\r\n");
    auto dialog = open();
    EXPECT_TRUE(child<QLineEdit>(*dialog, "udpPort")->isEnabled() == false);
    child<QRadioButton>(*dialog, "udp")->click();
    EXPECT_TRUE(child<QLineEdit>(*dialog, "udpPort")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(*dialog, "ipxSocket")->isEnabled());
    child<QLineEdit>(*dialog, "udpPort")->setText("8200x");
    press(*dialog, "ok");

    EXPECT_TRUE(dialog->restartNeeded());
    EXPECT_EQ(ann.settingsFile.readText("Net", "UDPPort", ""), "8200x");
    EXPECT_EQ(ann.settingsFile.readText("Net", "IPX", ""), "false");
    EXPECT_EQ(ann.settingsFile.readText("Net", "IPXSocket", "unwritten"), "unwritten");
    // No language chosen leaves the language.
    EXPECT_EQ(ann.settingsFile.readText("Language", "ini", ""), "Gone");
    // The running transport stays until the restart.
    EXPECT_EQ(ann.settings.net.udpPort, 8198);
    EXPECT_TRUE(ann.settings.net.ipx);
}

TEST_F(Options, AChosenFontOrColourAppliesAtOnceAndStaysAfterCancel) {
    choosers.font = QFont(QStringLiteral("Serif"), 13);
    choosers.font->setBold(true);
    auto dialog = open();
    child<QListWidget>(*dialog, "fonts")->setCurrentRow(2);
    press(*dialog, "font");

    // 12.5 points go to the even neighbour.
    ASSERT_EQ(choosers.fontsAsked.size(), 1u);
    EXPECT_EQ(choosers.fontsAsked[0].pointSize(), 12);
    EXPECT_TRUE(choosers.fontsAsked[0].italic());
    EXPECT_FALSE(child<QPushButton>(*dialog, "cancel")->isEnabled());
    dialog->reject();

    EXPECT_EQ(ann.settings.fonts[2], (FontStyle{"Serif", 130, 0x000080, true, false}));
    const std::string fontKeys =
        "[Fonts]\r\nColor3=128\r\nHeight3=130\r\nName3=Serif\r\nBold3=1\r\nItalic3=0\r\n";
    EXPECT_EQ(settingsFile(), fontKeys);
    EXPECT_EQ(host.appearanceChanges, 1);
    EXPECT_FALSE(dialog->restartNeeded());

    // Cancelled in the chooser: nothing changes, and Cancel is gone all the same. A background
    // colour writes both backgrounds and takes a restart.
    choosers.font.reset();
    choosers.colour = QColor(0x10, 0x20, 0x30);
    auto second = open();
    auto* rows = child<QListWidget>(*second, "fonts");
    rows->setCurrentRow(0);
    press(*second, "font");
    EXPECT_FALSE(child<QPushButton>(*second, "cancel")->isEnabled());
    EXPECT_EQ(ann.settings.fonts[0].name, "Sans");
    rows->setCurrentRow(10);
    EXPECT_FALSE(child<QPushButton>(*second, "font")->isEnabled());
    press(*second, "colour");
    EXPECT_EQ(ann.settings.view.color11, 0x302010);
    EXPECT_EQ(settingsFile(), fontKeys + "[View]\r\nColor11=3153936\r\nColor12=-2147483643\r\n");
    EXPECT_EQ(host.appearanceChanges, 2);
    press(*second, "ok");
    EXPECT_TRUE(second->restartNeeded());
}

TEST_F(Options, ChannelListsAreEditedInStepAndOthersAreTheAnswersToItsRequests) {
    writeSettings("[Channels]\r\nChannels=#A#B\r\nChannelsVis=#1#0\r\nProtocol=#0#1\r\n");
    bob.chat.joinChannel("#Work");
    auto dialog = open();
    // What the main window does with each answer while the dialog is open.
    const auto deliverAnswers = [&] {
        lan.run();
        for (const std::vector<std::string>& names : ann.view.otherChannels) {
            dialog->addOtherChannels(names);
        }
        ann.view.otherChannels.clear();
    };
    deliverAnswers();
    dialog->addOtherChannels({"Work", ""});
    auto* others = child<QListWidget>(*dialog, "otherChannels");
    ASSERT_EQ(others->count(), 2);
    EXPECT_EQ(others->item(1)->text(), "Work");

    auto* yours = child<QListWidget>(*dialog, "yourChannels");
    ASSERT_EQ(yours->count(), 2);
    EXPECT_EQ(yours->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(child<QListWidget>(*dialog, "protocolling")->item(1)->checkState(), Qt::Checked);
    auto* name = child<QLineEdit>(*dialog, "channelName");
    name->setText("a");
    press(*dialog, "addChannel");
    EXPECT_EQ(yours->count(), 2);
    EXPECT_EQ(name->text(), "a");
    name->setText("C");
    press(*dialog, "addChannel");
    others->setCurrentRow(1);
    press(*dialog, "takeChannel");
    yours->setCurrentRow(0);
    press(*dialog, "deleteChannel");

    bob.chat.leaveCurrentTab();
    press(*dialog, "refresh");
    EXPECT_EQ(others->count(), 0);
    deliverAnswers();
    ASSERT_EQ(others->count(), 1);
    EXPECT_EQ(others->item(0)->text(), "Main");
    press(*dialog, "ok");

    EXPECT_TRUE(dialog->restartNeeded());
    EXPECT_EQ(ann.settingsFile.readText("Channels", "Channels", ""), "#B#C#Work");
    EXPECT_EQ(ann.settingsFile.readText("Channels", "ChannelsVis", ""), "#0#1#1");
    EXPECT_EQ(ann.settingsFile.readText("Channels", "Protocol", ""), "#1#0#0");
    // Answers that come after the dialog closed go nowhere.
    dialog->addOtherChannels({"Late"});
    EXPECT_EQ(others->count(), 1);
}

TEST_F(Options, IgnoreAddsEachNickOnceAndSoundRowsTakeAFileOrTheSpeaker) {
    ann.settings.sounds[0].pc = "1";
    ann.settings.sounds[2].pc = "2";
    choosers.soundFile = QStringLiteral("/sounds/ding.wav");
    auto dialog = open();
    dialog->showPage(OptionsPage::Ignore);
    dialog->setIgnoreNick("bob");
    EXPECT_EQ(child<QTabWidget>(*dialog, "pages")->currentIndex(), 2);
    press(*dialog, "addChannels");
    EXPECT_EQ(child<QListWidget>(*dialog, "ignoreChannels")->count(), 1);
    dialog->setIgnoreNick("\xC0\xED\xFF"); // Аня, then АНЯ: one nick
    press(*dialog, "addMessages");
    EXPECT_TRUE(child<QLineEdit>(*dialog, "ignoreNick")->text().isEmpty());
    dialog->setIgnoreNick("\xC0\xCD\xDF");
    press(*dialog, "addMessages");

    EXPECT_TRUE(child<QRadioButton>(*dialog, "speaker1")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*dialog, "playFile3")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*dialog, "speaker3")->isChecked());
    press(*dialog, "soundBrowse2");
    child<QRadioButton>(*dialog, "playFile1")->click();
    press(*dialog, "ok");

    EXPECT_FALSE(dialog->restartNeeded());
    EXPECT_EQ(ann.settings.ignore.channels, "#Bob#");
    EXPECT_EQ(ann.settings.ignore.message, "#\xC0\xED\xFF#");
    EXPECT_EQ(ann.settings.sounds[1].s, "/sounds/ding.wav");
    EXPECT_EQ(ann.settingsFile.readText("Sounds", "S2", ""), "/sounds/ding.wav");
    EXPECT_EQ(ann.settingsFile.readText("Sounds", "S1", "unwritten"), "unwritten");
    EXPECT_EQ(ann.settings.sounds[0].pc, "0");
    EXPECT_EQ(ann.settings.sounds[2].pc, "1");
}

TEST_F(Options, GenderAndTrayIconsApplyWhenChosenAndTabsOnlyAskForARestart) {
    auto dialog = open();
    auto* gender = child<QComboBox>(*dialog, "gender");
    gender->setCurrentIndex(1);
    emit gender->activated(1);
    EXPECT_EQ(ann.settings.nicks.gender, '1');
    EXPECT_EQ(host.genderChanges, 1);
    for (int i = 0; i < 14; ++i) {
        press(*dialog, "nextNormal");
    }
    child<QRadioButton>(*dialog, "tabStyle1")->click();
    press(*dialog, "ok");
    EXPECT_TRUE(dialog->restartNeeded());
    EXPECT_EQ(ann.settingsFile.readText("View", "Tab", "unwritten"), "unwritten");
    // From 4 on, past 17 back to 0.
    EXPECT_EQ(ann.settings.icon.normal, 0);
    EXPECT_EQ(ann.settingsFile.readInt("Icon", "Normal", -1), 0);
    EXPECT_EQ(ann.settingsFile.readText("Nicks", "Gender", ""), "1");
    EXPECT_EQ(host.trayIconChanges, 1);
}

} // namespace
