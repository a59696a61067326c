#include "natterby/settings/settingswriters.h"
#include "natterby/settings/sounds.h"
#include "natterby/settings/startupload.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

namespace {

using namespace natterby::settings;
using Calls = std::vector<std::string>;
using Samples = std::vector<std::int16_t>;

// Records every effect of the start-up load as one line, in order.
class FakeStartupHost : public StartupHost {
public:
    static constexpr Bounds kBounds{195, 115, 686, 469};
    static FontStyle font() { return {"MS Sans Serif", 11, -2147483640, false, false}; }

    std::vector<std::string> calls;
    std::optional<std::string> ipxError;

    std::string computerName() override { return "DESK-7"; }
    Bounds windowBounds() override { return kBounds; }
    FontStyle mainFont() override { return font(); }
    std::optional<std::string> openIpx(std::uint16_t socket) override {
        calls.push_back("ipx " + std::to_string(socket));
        return ipxError;
    }
    void openUdp(std::int32_t port, const std::string& address) override {
        calls.push_back("udp " + std::to_string(port) + " " + address);
    }
    void showMessage(const std::string& text) override { calls.push_back("message " + text); }
    void applyLanguage(const std::string& file) override { calls.push_back("language " + file); }
    void addToChannelMenu(const std::string& channel) override {
        calls.push_back("menu " + channel);
    }
    void joinChannel(const std::string& channel) override { calls.push_back("join " + channel); }
};

// Interf.ini in a folder of its own, loaded as the program loads it at its start.
class SettingsFile : public testing::Test {
protected:
    void load() {
        host.calls.clear();
        loadSettings(settings, file, folder.folder(), host);
    }
    void load(std::string_view ini) {
        folder.write("Interf.ini", ini);
        load();
    }
    std::string language(std::string_view ini) const { return "language " + folder.file(ini); }

    TempFolder folder;
    FakeStartupHost host;
    Settings settings;
    const common::ProfileFile file{settingsFilePath(folder.folder())};
};

TEST_F(SettingsFile, OpensTheTransportTheNetSectionChooses) {
    const std::pair<const char*, const char*> cases[] = {
        {"IPX=TRUE", "udp 8198 255.255.255.255"},
        {"IPX=false\nNet=0\nUDPPort=9001\nUDPAdress=10.0.0.255", "udp 9001 10.0.0.255"},
        {"IPXSocket=81A0", "ipx 33184"}, // hex, as ValueKinds reads it
        {"Net=0", "language"},           // IPX stays closed with networking off
    };
    for (const auto& [net, firstCall] : cases) {
        SCOPED_TRACE(net);
        load(std::string("[Net]\n") + net + "\n");
        EXPECT_EQ(host.calls.front().substr(0, std::string_view(firstCall).size()), firstCall);
    }
}

TEST_F(SettingsFile, IpxOpenFailureIsShownAndEndsTheLoad) {
    host.ipxError = "Address already in use";
    load("[Net]\nSincron=0\n[Nicks]\nCurrent=Bob\n[Fonts]\nName1=Arial\n"
         "[Channels]\nChannels=#A\nChannelsVis=#1\n");
    EXPECT_EQ(host.calls, (Calls{"ipx 33177", "message Open error:Address already in use"}));
    EXPECT_TRUE(settings.net.sincron);
    // The built-in values keep the program usable: the computer name as nick, the main font.
    EXPECT_EQ(settings.nicks.current, "DESK-7");
    EXPECT_EQ(settings.fonts[0], FakeStartupHost::font());
    EXPECT_TRUE(settings.channels.list.empty());
}

TEST_F(SettingsFile, ReadsEveryKeyAndCutsLongTextsTo2047Characters) {
    load("[Net]\r\nSincron=0\r\n"
         "[View]\r\nNickVis=0\r\nToolTips=yes\r\nArhive=0\r\nBalloonShow=1\r\nTab=3\r\n"
         "Seconds=1\r\nColor11=255\r\nColor12=-2147483640\r\n"
         "[Nicks]\r\nCount=2\r\n1=Ann\r\n2=Bob\r\nCurrent=Bob\r\nStatus=2\r\nGender=1\r\n"
         "[Position]\r\nLeft=-10\r\nTop=20\r\nWidth=600\r\nHeight=400\r\nShow=false\r\nMax=1\r\n"
         "Left4=1\r\nTop4=2\r\nWidth4=300\r\nHeight4=150\r\n"
         "[Fonts]\r\nBold3=1\r\nColor3=255\r\nHeight3=14\r\nName3=Courier New\r\nItalic3=1\r\n"
         "[Icon]\r\nNormal=7\r\nFlash=2\r\n[Execute]\r\nRazresh=1\r\nPassword=" +
         std::string(3000, 'p') +
         "\r\n"
         "[Ignore]\r\nChannels=#Bob#\r\nMessage=#\r\n"
         "[Sounds]\r\nS5=/snd/beep.wav\r\nPC1=1\r\nPC3=12345\r\n"
         "[Language]\r\nini=LangRus\r\n[Channels]\r\nPathProto=/var/log/chat/\r\n");

    EXPECT_EQ(host.calls, (Calls{"ipx 33177", language("LangRus.ini"), "join #Main"}));
    const ViewSettings& v = settings.view;
    EXPECT_EQ((std::vector{settings.net.sincron, v.nickVis, v.toolTips, v.compVis, v.arhive,
                           v.balloonShow, v.seconds}),
              (std::vector{false, false, false, true, false, true, true}));
    EXPECT_EQ((std::vector{v.tab, v.color11, v.color12}), (std::vector{3, 255, -2147483640}));
    EXPECT_EQ(settings.nicks.remembered, (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(settings.nicks.current + settings.nicks.status + settings.nicks.gender, "Bob21");
    EXPECT_EQ(settings.position.window, (Bounds{-10, 20, 600, 400}));
    EXPECT_EQ(settings.position.privateWindow, (Bounds{1, 2, 300, 150}));
    EXPECT_FALSE(settings.position.show);
    EXPECT_EQ(settings.position.max, 1);
    EXPECT_EQ(settings.fonts[2], (FontStyle{"Courier New", 14, 255, true, true}));
    EXPECT_EQ(settings.fonts[3], FakeStartupHost::font());
    EXPECT_EQ((std::vector{settings.icon.normal, settings.icon.flash}), (std::vector{7, 2}));
    EXPECT_TRUE(settings.execute.razresh);
    EXPECT_EQ(settings.execute.password, std::string(2047, 'p'));
    EXPECT_EQ(settings.ignore.channels + settings.ignore.message, "#Bob##");
    EXPECT_EQ(settings.sounds[4].s, "/snd/beep.wav");
    EXPECT_EQ(settings.sounds[0].pc + settings.sounds[1].pc + settings.sounds[2].pc, "1012");
    EXPECT_EQ(settings.channels.pathProto, "/var/log/chat/");
}

// What the file leaves out takes the built-in value; what an edit left odd loads safely.
TEST_F(SettingsFile, JoinsMainThenTheVisibleSavedChannelsAndLoadsOddListsSafely) {
    load("[Channels]\nChannels=#A#Bee\nChannelsVis=#0#1\nProtocol=#1#0\n");
    EXPECT_EQ(host.calls, (Calls{"ipx 33177", language(".ini"), "join #Main", "menu #A",
                                 "menu #Bee", "join #Bee"}));
    EXPECT_TRUE(settings.net.net && settings.net.ipx);
    EXPECT_EQ(settings.nicks.current + settings.nicks.status + settings.nicks.gender, "DESK-700");
    EXPECT_EQ(settings.position.window, FakeStartupHost::kBounds);
    EXPECT_EQ(settings.fonts[9], FakeStartupHost::font());
    EXPECT_EQ(settings.channels.pathProto, folder.folder());
    EXPECT_EQ(settings.channels.list,
              (std::vector<ChannelEntry>{{"A", false, true}, {"Bee", true, false}}));
    EXPECT_EQ(settings.channels.logged, "#A\n");

    // The three lists are read in step, whatever their lengths.
    const std::tuple<const char*, const char*, const char*, std::vector<ChannelEntry>> lists[] = {
        {"#Work#Games", "#1", "", {{"Work", true, false}, {"Games", false, false}}},
        // An empty name goes with its flags, so that the later ones stay aligned.
        {"#A##B", "#1#0#1", "#0#0#1", {{"A", true, false}, {"B", true, true}}},
        {"#A#", "#x", "#11", {{"A", false, true}}},
        {"#", "#1", "#1", {}},
    };
    for (const auto& [channels, visible, logged, expected] : lists) {
        SCOPED_TRACE(channels);
        load(std::string("[Channels]\nChannels=") + channels + "\nChannelsVis=" + visible +
             "\nProtocol=" + logged + "\n");
        EXPECT_EQ(settings.channels.list, expected);
    }
    // An edited count loads the newest fifteen, without reading two billion keys; a status that
    // is not an item of the status menu loads as the first.
    load("[Nicks]\nCount=2147483647\n2147483647=last\nStatus=7\n");
    EXPECT_EQ(settings.nicks.remembered.size(), 15u);
    EXPECT_EQ(settings.nicks.remembered.back(), "last");
    EXPECT_EQ(settings.nicks.status, '0');
}

TEST_F(SettingsFile, WhatTheProgramWritesWhileRunningIsReadBackAtTheNextStart) {
    folder.write("Interf.ini", "[Position]\r\nShow=false\r\n");
    NickSettings nicks;
    for (int i = 1; i <= 16; ++i) {
        recordNick(nicks, "nick" + std::to_string(i), file);
    }
    recordNick(nicks, "nick5", file); // already remembered: only the own nick changes
    EXPECT_EQ(file.readText("Nicks", "1", ""), "nick2");
    EXPECT_EQ(file.readText("Nicks", "15", ""), "nick16");
    saveOnExit({{-20, 30, 640, 480}, true, {5, 6, 320, 240}, '3'}, file);
    // Each view toggle flips its own setting: one bound to another's member leaves a flag
    // unflipped; bound to another's key, it reads back differently.
    for (const ViewToggle item :
         {ViewToggle::Scrolling, ViewToggle::ShowTooltip, ViewToggle::ShowBalloon,
          ViewToggle::ShowNick, ViewToggle::ShowComputers, ViewToggle::ViewSeconds,
          ViewToggle::AccessExecute}) {
        toggleView(settings, item, file);
    }
    const auto flags = [](const Settings& s) {
        return std::vector{s.view.scrolling, s.view.toolTips, s.view.balloonShow, s.view.nickVis,
                           s.view.compVis,   s.view.seconds,  s.execute.razresh};
    };
    const std::vector toggled{false, false, true, false, false, true, true};
    EXPECT_EQ(flags(settings), toggled);

    load();
    EXPECT_EQ(settings.nicks.remembered, nicks.remembered);
    EXPECT_EQ(settings.nicks.current + settings.nicks.status, "nick53");
    EXPECT_EQ(settings.position.window, (Bounds{-20, 30, 640, 480}));
    EXPECT_EQ(settings.position.max, 1);
    EXPECT_EQ(settings.position.privateWindow, (Bounds{5, 6, 320, 240}));
    EXPECT_FALSE(settings.position.show);
    EXPECT_EQ(flags(settings), toggled);
}

using Played = std::tuple<Samples, int, int>; // samples, rate, channels

class RecordingOutput : public platform::AudioOutput {
public:
    void play(const platform::Pcm& sound) override {
        played.emplace_back(sound.samples, sound.sampleRate, sound.channels);
    }
    std::vector<Played> played;
};

// Writes interleaved stereo samples at 22050 Hz as a sound file of the libsndfile format.
void writeSoundFile(const std::string& path, const Samples& samples, int format) {
    SF_INFO info{0, 22050, 2, format, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / 2));
    sf_close(file);
}

TEST(SoundSlots, OnlyPcExactlyZeroPlaysTheFileAndOnlyAReadableWaveFile) {
    TempFolder folder;
    const Samples wave{0, 100, -100, 32767, -32768, 5, 7, -7};
    writeSoundFile(folder.file("stereo.wav"), wave, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeSoundFile(folder.file("sound.aiff"), wave, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    folder.write("cut.wav", TempFolder::read(folder.file("stereo.wav")).substr(0, 20));
    folder.write("text.wav", "RIFF, but only in words");
    ASSERT_EQ(mkfifo(folder.file("pipe.wav").c_str(), 0600), 0);
    std::array<SoundSlot, kSoundSlotCount> slots;
    RecordingOutput output;
    const Sounds sounds{slots, output, platform::decodeWaveFile};
    // A wave file plays at its own rate and channels.
    const Played stereo{wave, 22050, 2};
    const Played tone{platform::makeTone(1600, 100, kToneSampleRate).samples, kToneSampleRate, 1};
    const std::tuple<const char*, const char*, std::vector<Played>> cases[] = {
        {"0", "", {}},
        {"0", "stereo.wav", {stereo}},
        {"1", "stereo.wav", {tone}},
        {"2", "", {tone}},
        {"00", "stereo.wav", {tone}},
        {"", "stereo.wav", {tone}},
        // What is not a readable wave file plays nothing.
        {"0", "none.wav", {}},
        {"0", ".", {}},
        {"0", "sound.aiff", {}},
        {"0", "cut.wav", {}},
        {"0", "text.wav", {}},
        {"0", "pipe.wav", {}},
    };
    for (const auto& [pc, s, heard] : cases) {
        SCOPED_TRACE(testing::Message() << "PC \"" << pc << "\" S \"" << s << "\"");
        slots[2] = {*s ? folder.file(s) : "", pc};
        output.played.clear();
        sounds.play(kChatLineSlot, kChatLineTone);
        EXPECT_EQ(output.played, heard);
    }
    // Slots are numbered from 1; numbers outside the table play nothing.
    output.played.clear();
    sounds.play(0, kMessageTone);
    sounds.play(kSoundSlotCount + 1, kMessageTone);
    EXPECT_TRUE(output.played.empty());
}

} // namespace
