#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using natterby::settings::Settings;

std::vector<std::string> shown(const fakes::RecordingView& view, Font font) {
    std::vector<std::string> texts;
    for (const auto& line : view.lines) {
        if (line.font == font) {
            texts.push_back(line.text);
        }
    }
    return texts;
}

TEST(ChatLines, ShownOnceInTheFontOfTheirOriginAndLogged) {
    Lan lan;
    const auto logged = [](Settings& s) { s.channels.logged = "#Main\n"; };
    Peer& ann = lan.add("Ann", logged);
    Peer& bob = lan.add("Bob", logged);
    ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
    lan.run();

    const std::vector<std::string> line{"\r[09:05] <Ann>: hi"};
    EXPECT_EQ(shown(ann.view, kOwnFont), line);
    EXPECT_EQ(shown(bob.view, kExternalFont), line);
    EXPECT_EQ(ann.view.lines.size(), 1u);
    EXPECT_EQ(bob.view.lines.size(), 1u);
    for (Peer* peer : {&ann, &bob}) {
        EXPECT_EQ(peer->sound.played, (std::vector<fakes::PlayedSound>{{3, 1600, 100}}));
        EXPECT_EQ(TempFolder::read(peer->folder.file("Main.txt")),
                  "[09:05 | 06.12.2026] <Ann> hi\r\n");
    }
}

TEST(ChatLines, LayoutsOfChatAndActionLines) {
    struct Case {
        const char* name;
        Peer::Setup setup;
        std::string body;
        Font font;
        std::string text;
    };
    const Case cases[] = {
        {"plain", {}, chatLine("#Main", "Ann", "hi"), kExternalFont, "\r[09:05] <Ann>: hi"},
        {"with seconds", [](Settings& s) { s.view.seconds = true; }, chatLine("#Main", "Ann", "hi"),
         kExternalFont, "\r[09:05:07] <Ann>: hi"},
        {"log folder missing",
         [](Settings& s) {
             s.channels.logged = "#Main\n";
             s.channels.pathProto += "missing/";
         },
         chatLine("#Main", "Ann", "hi"), kExternalFont, "\r[09:05] <Ann>: hi"},
        {"action", {}, actionLine("#Main", "Ann", " waves"), kActionFont, "\r[09:05] Ann  waves"},
    };
    for (const Case& c : cases) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", c.setup);
        ann.framing.send(c.body, true);
        lan.run();
        ASSERT_EQ(bob.view.lines.size(), 1u) << c.name;
        EXPECT_EQ(bob.view.lines[0].font, c.font) << c.name;
        EXPECT_EQ(bob.view.lines[0].text, c.text) << c.name;
    }
}

TEST(ChatLines, ShowTheSendersComputerWhenKnownAndAsked) {
    for (bool compVis : {true, false}) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [&](Settings& s) { s.view.compVis = compVis; });
        ann.framing.send(informationAnswer("Cyd", "Ann", "PC-Ann", "ann", "10.0.0.1", "#Main#", ""),
                         true);
        ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
        lan.run();
        EXPECT_EQ(bob.view.textsOf(0).back(),
                  compVis ? "\r[09:05] <Ann(PC-Ann)>: hi" : "\r[09:05] <Ann>: hi");
    }
}

TEST(ChatLines, MarkABackgroundTabUnreadAndTheSenderAMember) {
    for (const std::string& body :
         {chatLine("#Work", "Ann", "hi"), actionLine("#Work", "Ann", " x")}) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob");
        bob.chat.joinAtStart("#Work");
        lan.run();
        ASSERT_EQ(bob.chat.currentTab(), 0);
        ann.framing.send(body, true);
        lan.run();
        EXPECT_TRUE(bob.chat.tabs()[1].unread);
        const Channel* work = bob.chat.channels().find("#Work");
        ASSERT_NE(work, nullptr);
        EXPECT_TRUE(ChannelTable::hasMember(*work, "Ann"));
    }
}

TEST(ChatLines, IgnoredSendersAndClosedChannelsLeaveNoTrace) {
    const std::string bodies[] = {chatLine("#Main", "Ann", "hi"), actionLine("#Main", "Ann", " x"),
                                  chatLine("#Work", "Dan", "hi")};
    for (const std::string& body : bodies) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [](Settings& s) {
            s.ignore.channels = "#Cyd#Ann#";
            s.channels.logged = "#Main\n#Work\n";
        });
        ann.framing.send(body, true);
        lan.run();
        EXPECT_TRUE(bob.view.lines.empty());
        EXPECT_TRUE(bob.sound.played.empty());
        EXPECT_FALSE(std::filesystem::exists(bob.folder.file("Main.txt")));
        EXPECT_FALSE(std::filesystem::exists(bob.folder.file("Work.txt")));
    }
}

TEST(Addressing, MessagesNamingAnotherNickAreDroppedSilently) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob", [](Settings& s) { s.execute.razresh = true; });
    for (const std::string& body :
         {privateMessage("Ann", "Cyd", "x"), massMessage("Ann", "Cyd", "x"),
          confirmation('0', "Ann", "Cyd", '0', ""), remoteExecute("Ann", "Cyd", "cmd", ""),
          remoteExecuteConfirmation("Cyd", "Ann"), soundCall("Cyd", "Ann"),
          soundCallAnswer("Cyd", "Ann", '0'), probe("Cyd", "Ann", "t")}) {
        ann.framing.send(body, true);
    }
    lan.run();
    EXPECT_TRUE(bob.view.lines.empty());
    EXPECT_TRUE(bob.view.received.empty());
    EXPECT_TRUE(bob.sound.played.empty());
    EXPECT_TRUE(bob.launcher.opened.empty());
    EXPECT_TRUE(bob.sent.empty());
}

TEST(Probe, AnsweredWithItsTokenAndNothingShown) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    bob.framing.send(probe("Ann", "Bob", "t0k"), true);
    lan.run();
    EXPECT_EQ(fakes::sentBodies(ann.sent),
              std::vector<std::string>{probeAnswer("Bob", "Ann", "t0k")});
    EXPECT_TRUE(ann.view.lines.empty());
    EXPECT_TRUE(bob.view.lines.empty());
}

} // namespace
