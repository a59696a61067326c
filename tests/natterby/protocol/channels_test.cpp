#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"
#include "tests/fakes/tmpfsmount.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using fakes::rosterNicks;
using fakes::stateImage;
using natterby::settings::Settings;
using Texts = std::vector<std::string>;

// Carl logs "#Main": the joins and the chat lines go into its log. Then the same world leaves.
TEST(Join, WelcomesLogsAndShowsAKnownTopicOnce) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    Peer& carl = lan.add("Carl", [](auto& s) { s.channels.logged = "#Main\n"; });
    fakes::startInMain(lan, {&ann, &bob, &carl});
    ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
    lan.run();
    EXPECT_EQ(carl.view.textsOf(0),
              (Texts{"[09:05] Natterby v 1.1\r", "[09:05] Welcome to #Main, Carl!",
                     "\r[09:05]  Ann join to us", "\r[09:05]  Bob join to us",
                     "\r[09:05]  Carl join to us", "\r[09:05] <Ann>: hi"}));
    for (const Peer* peer : {&ann, &carl}) {
        EXPECT_EQ(peer->sound.played, (std::vector<fakes::PlayedSound>{{3, 1600, 100}}));
    }
    EXPECT_EQ(TempFolder::read(carl.folder.file("Main.txt")),
              "PROTOCOL 09:05 | 06.12.2026\r\n[09:05 | 06.12.2026] Ann join to us\r\n"
              "[09:05 | 06.12.2026] Bob join to us\r\n[09:05 | 06.12.2026] Carl join to us\r\n"
              "[09:05 | 06.12.2026] <Ann> hi\r\n");

    ann.chat.joinChannel("#Games");
    bob.chat.joinChannel("#Games");
    ann.chat.changeTopic("Chess");
    lan.run();
    carl.chat.joinChannel("#Games");
    lan.run();
    const Texts shown = carl.view.textsOf(1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "\r[09:05] Topic change: 'Chess (Ann) '"), 1)
        << "one answer from each of two members";
    EXPECT_EQ(carl.view.caption, "[#Games] Chess (Ann)  - Natterby v 1.1");

    carl.sent.clear();
    carl.chat.selectTab(0);
    carl.chat.joinChannel("#Games");
    EXPECT_TRUE(carl.sent.empty());
    EXPECT_EQ(carl.view.tabNames.size(), 2u);
    EXPECT_EQ(carl.view.current, 1);

    // Ann marks the members of her current tab, on a change of tab, on request and as they leave.
    bob.chat.windowShown(true);
    ann.chat.joinChannel("#Work");
    bob.chat.joinChannel("#Work");
    carl.framing.send(topicChange("#Main", "Lunch "), true);
    lan.run();
    EXPECT_EQ(stateImage(ann, "Carl"), 5);
    EXPECT_EQ(stateImage(ann, "Bob"), 7);
    EXPECT_TRUE(ann.view.unread[0]);

    ann.chat.requestChannelMembers();
    EXPECT_EQ(stateImage(ann, "Ann") + stateImage(ann, "Bob"), 5 + 5);
    lan.run();
    EXPECT_EQ(stateImage(ann, "Ann"), 6);
    EXPECT_EQ(stateImage(ann, "Bob"), 7);
    EXPECT_EQ(stateImage(ann, "Carl"), 5);

    bob.chat.leaveCurrentTab();
    lan.run();
    EXPECT_EQ(stateImage(ann, "Bob"), 5);
    EXPECT_EQ(ann.view.textsOf(2).back(), "\r[09:05]  Bob leave with cnannel");
    EXPECT_EQ(bob.chat.channels().channels().size(), 2u);
    EXPECT_EQ(bob.view.caption, "[#Main] Lunch  - Natterby v 1.1");

    ann.chat.selectTab(0);
    EXPECT_EQ(stateImage(ann, "Carl"), 7);
    EXPECT_FALSE(ann.view.unread[0]);
    EXPECT_EQ(ann.view.caption, "[#Main] Lunch  - Natterby v 1.1");

    bob.sent.clear();
    bob.chat.selectTab(0);
    bob.chat.leaveCurrentTab();
    EXPECT_TRUE(bob.sent.empty()) << "the first tab cannot be left";

    // Bob's leave for his talk with Carl names "Carl": no channel, so Ann's talk with Carl
    // gets no line from it.
    carl.chat.talk("Bob");
    ann.chat.talk("Carl");
    lan.run();
    const std::size_t annLines = ann.view.lines.size();
    bob.chat.sendLeaves();
    EXPECT_EQ(fakes::sentBodies(bob.sent),
              (Texts{leave("Bob", "Carl", '0'), leave("Bob", "#Games", '0'),
                     leave("Bob", "#Main", '0')}));
    lan.run();
    EXPECT_EQ(rosterNicks(ann), (Texts{"Ann", "Carl"}));
    EXPECT_EQ(ann.view.lines.size(), annLines + 2);
}

// A talk from the invitation to its end, through a peer that vanishes without a word, as a
// computer switched off or a program that crashed, and comes back under the same nick.
TEST(Talk, InvitationOpensOrSelectsTheTabWhichOutlivesAVanishedPeerAndTheLeaveLineKeepsIt) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    ann.chat.talk("Bob");
    lan.run();
    EXPECT_EQ(ann.view.caption, "[Bob]  - Natterby v 1.1");
    EXPECT_EQ(ann.view.textsOf(1), Texts{"[09:05]  Ann join to us"});
    EXPECT_EQ(bob.view.tabNames, (Texts{"#Main", "Ann"}));
    EXPECT_EQ(bob.view.textsOf(1), Texts{"[09:05]  Ann join to us"});
    EXPECT_EQ(bob.sound.played, (std::vector<fakes::PlayedSound>{{4, 1550, 150}}));

    bob.chat.selectTab(0);
    ann.chat.talk("Bob");
    lan.run();
    EXPECT_EQ(bob.view.current, 1) << "brought to the front, without a line or a sound";
    EXPECT_EQ(bob.view.lines.size(), 1u);
    EXPECT_EQ(bob.sound.played.size(), 1u);

    fakes::startInMain(lan, {&ann, &bob});
    bob.connected = false;
    ann.sent.clear();
    ASSERT_TRUE(ann.chat.enterLine("still there?"));
    ASSERT_TRUE(ann.chat.enterLine("/me waits"));
    lan.run();
    EXPECT_EQ(ann.view.tabNames, (Texts{"#Main", "Bob"}));
    EXPECT_EQ(ann.view.current, 1);
    EXPECT_EQ(fakes::sentBodies(ann.sent),
              (Texts{talkLine("Ann", "Bob", "still there?"), talkAction("Ann", "Bob", " waits")}));
    EXPECT_EQ(ann.view.textsOf(1).back(), "\r[09:05] Ann  waits");
    for (const fakes::RecordingView::Line& line : ann.view.lines) {
        EXPECT_EQ(line.text.find("leave"), std::string::npos) << line.text;
    }

    // Bob's computer comes back with a new program under the same nick.
    Peer& back = lan.add("Bob");
    fakes::startInMain(lan, {&back});
    EXPECT_EQ(rosterNicks(ann), (Texts{"Ann", "Bob"}));
    EXPECT_EQ(ann.view.textsOf(0).back(), "\r[09:05]  Bob join to us");
    back.chat.talk("Ann");
    lan.run();
    EXPECT_EQ(ann.view.tabNames, (Texts{"#Main", "Bob"})) << "the open talk tab is the one";
    ASSERT_TRUE(back.chat.enterLine("I'm back"));
    ASSERT_TRUE(ann.chat.enterLine("welcome"));
    lan.run();
    EXPECT_EQ(ann.view.textsOf(1).back(), "\r[09:05] <Bob>: I'm back");
    EXPECT_EQ(back.view.textsOf(1).back(), "\r[09:05] <Ann>: welcome");

    ann.chat.leaveCurrentTab();
    lan.run();
    EXPECT_EQ(back.view.textsOf(1).back(), "\r[09:05]  Ann leave with cnannel");
    EXPECT_EQ(back.view.tabNames.size(), 2u);
    EXPECT_EQ(ann.view.tabNames.size(), 1u);
}

// Logs that cannot be written: the lines still show, nothing is asked or reported, and the
// chat goes on with the lines after them. A log that cannot be opened (permission bits stop
// nobody running as root, so the files are made unusable by their kind) is one fault; a log
// opened on a file system that then runs full is the other.
TEST(UnwritableFiles, ALogThatCannotBeWrittenLosesNoLineAndStopsNothing) {
    std::string skipped;
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "a full file system" : "the log files are folders");
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [](Settings& s) { s.channels.logged = "#Main\n#Work\n"; });
        const std::string logs = bob.folder.file("logs");
        std::unique_ptr<fakes::TmpfsMount> mount;
        if (full) {
            fs::create_directories(logs);
            mount = std::make_unique<fakes::TmpfsMount>(logs, "size=4k", 0);
            if (!mount->error().empty()) {
                skipped = mount->error();
                continue;
            }
            bob.folder.write("logs/filler", std::string(64 << 10, 'x'));
        } else {
            fs::create_directories(logs + "/Main.txt");
            fs::create_directories(logs + "/Work.txt");
        }
        const auto sizes = [&] {
            std::map<std::string, std::uintmax_t> entries;
            for (const auto& e : fs::recursive_directory_iterator(bob.folder.folder())) {
                entries[e.path().string()] = e.is_regular_file() ? e.file_size() : 0;
            }
            return entries;
        };
        const auto before = sizes();
        bob.settings.channels.pathProto = logs + "/";

        fakes::startInMain(lan, {&bob, &ann});
        bob.chat.joinChannel("#Work");
        bob.chat.selectTab(0);
        ann.chat.joinChannel("#Work");
        ann.framing.send(chatLine("#Main", "Ann", "one"), true);
        ann.framing.send(topicChange("#Main", "Lunch "), true);
        ann.framing.send(chatLine("#Work", "Ann", "two"), true);
        lan.run();
        ann.chat.leaveCurrentTab();
        lan.run();
        ann.chat.selectTab(0);
        ann.framing.send(chatLine("#Main", "Ann", "three"), true);
        EXPECT_TRUE(bob.chat.enterLine("back"));
        lan.run();

        // Both ways, the lines after the lost ones go on.
        const Texts tail{"\r[09:05] <Ann>: one", "\r[09:05] Topic change: 'Lunch '",
                         "\r[09:05] <Ann>: three", "\r[09:05] <Bob>: back"};
        for (const Texts& main : {bob.view.textsOf(0), ann.view.textsOf(0)}) {
            ASSERT_GE(main.size(), 4u);
            EXPECT_EQ(Texts(main.end() - 4, main.end()), tail);
        }
        EXPECT_EQ(bob.view.textsOf(1),
                  (Texts{"[09:05] Welcome to #Work, Bob!", "\r[09:05]  Bob join to us",
                         "\r[09:05]  Ann join to us", "\r[09:05] <Ann>: two",
                         "\r[09:05]  Ann leave with cnannel"}));
        EXPECT_EQ(bob.chat.currentTopic(), "Lunch ");
        EXPECT_TRUE(bob.view.messages.empty() && bob.view.questions.empty());
        // Only a log opened on a full file system may appear, and it stays empty.
        for (const auto& [path, size] : sizes()) {
            EXPECT_EQ(size, before.contains(path) ? before.at(path) : 0) << path;
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "a full file system not tried (mounting needs root): " << skipped;
    }
}

// One datagram from Ann to Bob, who has "#Main", "#Work" (on show) and a talk with Ann open.
// Only chat, action, talk and topic lines mark a tab that is not on show; notices in "#Main" and
// joins, leaves, renames and status lines do not. Chat and action lines also make their sender a
// member, as joins do.
TEST(ChatLines, EveryKindOfLineIsWrittenAndOnlyConversationMarksTheTabUnread) {
    using Marks = std::vector<bool>;
    const Marks main{true, false, false}, none{false, false, false};
    const std::string hi = chatLine("#Main", "Ann", "hi");
    // Teaches the receiver Ann's computer, without a line of its own.
    const std::string info = informationAnswer("Cyd", "Ann", "PC-Ann", "ann", "10.0.0.1", "#", "");
    const Peer::Setup seconds = [](Settings& s) { s.view.seconds = true; };
    const Peer::Setup hidden = [](Settings& s) { s.view.compVis = false; };
    struct Case {
        std::string body;
        Marks marks;
        bool member = false;
        std::string text = {}; // the line as written, when checked
        Font font = kExternalFont;
        Peer::Setup setup = {};
        std::string before = {};
    };
    const Case cases[] = {
        {hi, main, true, "\r[09:05:07] <Ann>: hi", kExternalFont, seconds},
        {hi, main, true, "\r[09:05] <Ann(PC-Ann)>: hi", kExternalFont, {}, info},
        {hi, main, true, "\r[09:05] <Ann>: hi", kExternalFont, hidden, info},
        {actionLine("#Main", "Ann", " x"), main, true, "\r[09:05] Ann  x", kActionFont},
        {talkLine("Ann", "Bob", "hi"), {false, false, true}, false, "\r[09:05] <Ann>: hi"},
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
        Peer& bob = lan.add("Bob", c.setup);
        bob.settings.execute.razresh = true;
        bob.chat.joinAtStart("#Main");
        bob.chat.joinAtStart("#Work");
        bob.chat.talk("Ann");
        bob.chat.selectTab(1);
        if (!c.before.empty()) {
            ann.framing.send(c.before, true);
        }
        lan.run();
        const std::size_t lines = bob.view.lines.size();
        ann.framing.send(c.body, true);
        lan.run();
        ASSERT_GT(bob.view.lines.size(), lines) << "a line was written";
        EXPECT_EQ(bob.view.unread, c.marks);
        EXPECT_EQ(ChannelTable::hasMember(*bob.chat.channels().find("#Main"), "Ann"), c.member);
        if (!c.text.empty()) {
            EXPECT_EQ(bob.view.lines.size(), lines + 1);
            EXPECT_EQ(bob.view.lines.back().font, c.font);
            EXPECT_EQ(bob.view.lines.back().text, c.text);
        }
    }
}

} // namespace
