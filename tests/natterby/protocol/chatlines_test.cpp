#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

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
    const std::string hi = chatLine("#Main", "Ann", "hi");
    // Teaches the receiver Ann's computer, without a line of its own.
    const std::string info = informationAnswer("Cyd", "Ann", "PC-Ann", "ann", "10.0.0.1", "#", "");
    struct Case {
        const char* name;
        Peer::Setup setup;
        std::string before, body;
        Font font;
        std::string text;
    };
    const Case cases[] = {
        {"with seconds", [](Settings& s) { s.view.seconds = true; }, "", hi, kExternalFont,
         "\r[09:05:07] <Ann>: hi"},
        {"computer shown", [](Settings& s) { s.view.compVis = true; }, info, hi, kExternalFont,
         "\r[09:05] <Ann(PC-Ann)>: hi"},
        {"computer not shown", [](Settings& s) { s.view.compVis = false; }, info, hi, kExternalFont,
         "\r[09:05] <Ann>: hi"},
        {"action", nullptr, "", actionLine("#Main", "Ann", " waves"), kActionFont,
         "\r[09:05] Ann  waves"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", c.setup);
        if (!c.before.empty()) {
            ann.framing.send(c.before, true);
        }
        ann.framing.send(c.body, true);
        lan.run();
        ASSERT_EQ(bob.view.lines.size(), 1u);
        EXPECT_EQ(bob.view.lines[0].font, c.font);
        EXPECT_EQ(bob.view.lines[0].text, c.text);
    }
}

// Only chat, action, talk and topic lines mark a tab that is not on show; notices in "#Main"
// and joins, leaves, renames and status lines do not. Bob has "#Main", "#Work" (on show) and a
// talk with Ann open. Chat and action lines also make their sender a member, as joins do.
TEST(UnreadMark, SetByChatActionTalkAndTopicLinesOnly) {
    using Marks = std::vector<bool>;
    const Marks main{true, false, false}, none{false, false, false};
    struct Case {
        std::string body;
        Marks marks;
        bool member = false;
    };
    const Case cases[] = {
        {chatLine("#Main", "Ann", "hi"), main, true},
        {actionLine("#Main", "Ann", " x"), main, true},
        {talkLine("Ann", "Bob", "hi"), {false, false, true}},
        {topicChange("#Main", "Lunch "), main},
        {topicAnswer("Bob", "#Main", "Lunch "), main},
        {privateMessage("Ann", "Bob", "x"), none},
        {massMessage("Ann", "Bob", "x"), none},
        {confirmation('0', "Ann", "Bob", '0', ""), none},
        {remoteExecute("Ann", "Bob", "cmd", ""), none},
        {remoteExecuteConfirmation("Bob", "Ann"), none},
        {channelSoundCall("Ann", "#Main"), none},
        {renameNick("Ann", "Anna", '0'), none},
        {statusChange("Ann", '2', '0', ""), none},
        {join("Ann", "#Main", '0', '0'), none, true},
        {leave("Ann", "#Main", '0'), none},
        {talkEnd("Ann", "Bob", '0'), none},
        {talkAction("Ann", "Bob", " x"), none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [](Settings& s) { s.execute.razresh = true; });
        bob.chat.joinAtStart("#Main");
        bob.chat.joinAtStart("#Work");
        bob.chat.talk("Ann");
        bob.chat.selectTab(1);
        lan.run();
        const std::size_t lines = bob.view.lines.size();
        ann.framing.send(c.body, true);
        lan.run();
        EXPECT_GT(bob.view.lines.size(), lines) << "a line was written";
        EXPECT_EQ(bob.view.unread, c.marks);
        EXPECT_EQ(ChannelTable::hasMember(*bob.chat.channels().find("#Main"), "Ann"), c.member);
    }
}

// Messages from ignored senders, for other nicks or for closed channels: see HostilePeer.
TEST(Probe, AnsweredWithItsTokenAndNothingShown) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    bob.framing.send(probe("Ann", "Bob", "t0k"), true);
    lan.run();
    EXPECT_EQ(fakes::sentBodies(ann.sent),
              std::vector<std::string>{probeAnswer("Bob", "Ann", "t0k")});
    EXPECT_TRUE(ann.view.lines.empty() && bob.view.lines.empty());
}

} // namespace
