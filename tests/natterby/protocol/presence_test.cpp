#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using fakes::rosterNicks;
using fakes::stateImage;
using natterby::settings::Settings;
using Nicks = std::vector<std::string>;

void ticks(Peer& peer, int count) {
    for (int i = 0; i < count; ++i) {
        peer.chat.tick();
    }
}

// Windows-1251 nicks: Аня and АНЯ are one nick in any letter case, as are Ёлка and ёлка.
const std::string kAnya = "\xC0\xED\xFF", kANYA = "\xC0\xCD\xDF";
const std::string kYolka = "\xA8\xEB\xEA\xE0", kyolka = "\xB8\xEB\xEA\xE0";

TEST(Refresh, DuplicatesStayForTheRequesterOnlySincronRebuildsTheOthersAndTheTimerAsks) {
    for (const bool sincron : {true, false}) {
        SCOPED_TRACE(sincron);
        Lan lan;
        const auto setup = [&](Settings& s) { s.net.sincron = sincron; };
        Peer& ann = lan.add(kAnya, setup);
        lan.add(kANYA, setup);
        // Nicks that share their first three characters keep the order they came in.
        lan.add("Annette", setup);
        lan.add("Anna", setup);
        Peer& bob = lan.add("Bob", setup);
        ann.chat.refresh();
        lan.run();
        EXPECT_EQ(ann.view.refreshCaption, "Refresh: 5");

        bob.chat.refresh();
        lan.run();
        EXPECT_EQ(rosterNicks(bob), (Nicks{"Annette", "Anna", "Bob", kANYA, kAnya}));
        EXPECT_EQ(rosterNicks(ann), (sincron ? Nicks{"Annette", "Anna", "Bob", kAnya}
                                             : Nicks{"Annette", "Anna", "Bob", kANYA, kAnya}));
        EXPECT_EQ(ann.chat.refreshCounter(), sincron ? 0 : 180);

        // Past its threshold the timer clears the list and asks once.
        ann.sent.clear();
        ticks(ann, 240 + ann.chat.refreshOffset() - ann.chat.refreshCounter());
        EXPECT_TRUE(ann.sent.empty());
        ann.chat.tick();
        EXPECT_EQ(fakes::sentBodies(ann.sent), Nicks{refreshRequest(kAnya)});
        EXPECT_EQ(ann.chat.roster().size(), 0u);
    }
}

// Ann's start shows the title, the tray icon and the welcome, and finds the host facts. What she
// tells of herself: whether her window is shown, once a packet came, her status, and the answers
// to a request for information, which only opens a window at the requester, and to a probe.
TEST(Presence, StartupVisibilityStatusInformationProbesAndARenameReachTheOthers) {
    Lan lan;
    Peer& ann = lan.add("Ann", [](Settings& s) { s.icon.normal = 7; });
    Peer& bob = lan.add("Bob");
    Peer& anya = lan.add(kAnya, [](Settings& s) {
        s.nicks.status = '1';
        s.view.balloonShow = true;
    });
    ann.chat.finishStartup();
    EXPECT_EQ(ann.view.trayTip, "[#Main] - Natterby v 1.1");
    EXPECT_EQ(ann.view.trayIcons, std::vector<int>{7});
    ASSERT_EQ(ann.view.lines.size(), 1u);
    EXPECT_EQ(ann.view.lines[0].font, kWelcomeFont);
    EXPECT_TRUE(ann.view.lines[0].text.starts_with("\r[09:05] Natterby is"));
    ann.chat.windowShown(true);
    EXPECT_TRUE(ann.sent.empty());
    fakes::startInMain(lan, {&ann, &bob});
    bob.chat.refresh();
    lan.run();
    EXPECT_EQ(stateImage(bob, "Ann"), 7);
    ann.chat.windowShown(false);
    lan.run();
    EXPECT_EQ(stateImage(bob, "Ann"), 6);
    bob.chat.joinChannel("#Other");
    ann.chat.windowShown(true);
    lan.run();
    EXPECT_EQ(stateImage(bob, "Ann"), 5);

    ann.chat.setStatus('2');
    ann.chat.announceStatus("lunch");
    lan.run();
    EXPECT_EQ(bob.view.lines.back().font, kConfirmationFont);
    EXPECT_EQ(bob.view.lines.back().text, "\r[09:05]  Ann in \"Away (Far From Chat)\"  (lunch)");
    EXPECT_EQ(bob.chat.roster().row(bob.chat.roster().find("Ann")).status, '2');
    ann.chat.setStatus('1');
    ann.chat.announceStatus(std::nullopt);
    lan.run();
    EXPECT_EQ(bob.view.lines.back().text, "\r[09:05]  Ann in \"DND (Do Not Disturb)\"  ()");

    ann.chat.joinChannel("#Work");
    ann.chat.setAutoAnswer("back soon");
    bob.chat.requestInformation("Ann");
    lan.run();
    ASSERT_EQ(bob.view.information.size(), 1u);
    const InformationAnswer& answer = bob.view.information.front();
    EXPECT_EQ(answer.answerer + answer.computerName + answer.userName + answer.address,
              "AnnPC-Annann192.168.0.10");
    EXPECT_EQ(answer.channels, (Nicks{"#Main", "#Work"}));
    EXPECT_EQ(answer.autoAnswer, "back soon");
    EXPECT_TRUE(anya.view.information.empty());
    EXPECT_EQ(anya.chat.computerNameOf("Ann"), "PC-Ann");

    // The first pair for a nick is the one a lookup finds.
    bob.framing.send(informationAnswer(kAnya, "Ann", "PC-X", "", "", "#", ""), true);
    lan.run();
    EXPECT_EQ(anya.chat.computerNameOf("Ann"), "PC-Ann");

    // A probe is answered with its token, and shows nothing.
    ann.sent.clear();
    const std::size_t lines = ann.view.lines.size() + bob.view.lines.size();
    bob.framing.send(probe("Ann", "Bob", "t0k"), true);
    lan.run();
    EXPECT_EQ(fakes::sentBodies(ann.sent), Nicks{probeAnswer("Bob", "Ann", "t0k")});
    EXPECT_EQ(ann.view.lines.size() + bob.view.lines.size(), lines);

    // Аня, hidden and not to be disturbed, is shown a balloon, which holds the flashing back
    // until its time is over.
    ann.framing.send(chatLine("#Main", "Ann", std::string(50, 'x')), true);
    lan.run();
    EXPECT_EQ(anya.view.balloons, (std::vector<std::pair<std::string, std::string>>{
                                      {"#Main", "<Ann>: " + std::string(40, 'x')}}));
    ticks(anya, 20);
    ann.framing.send(chatLine("#Main", "Ann", "again"), true);
    lan.run();
    EXPECT_EQ(anya.view.balloonsHidden, 1);
    ticks(anya, 20);
    EXPECT_TRUE(anya.view.trayIcons.empty());
    ticks(anya, 1);
    EXPECT_EQ(anya.view.trayIcons, std::vector<int>{5});

    // Bob takes Аня's nick in capitals: it is hers all the same, and she steps aside without
    // touching its history.
    bob.sent.clear();
    bob.chat.renameFromNickBox(kANYA);
    lan.run();
    const std::string stepped = anya.chat.identity().nick;
    ASSERT_EQ(stepped.size(), 5u);
    EXPECT_TRUE(stepped.starts_with(kAnya + "_") && stepped[4] >= '0' && stepped[4] <= '8');
    EXPECT_EQ(anya.view.ownNick, stepped);
    EXPECT_TRUE(anya.settings.nicks.remembered.empty());
    EXPECT_EQ(bob.settings.nicks.remembered, Nicks{kANYA});
    const Nicks shown = ann.view.textsOf(0);
    EXPECT_EQ(Nicks(shown.end() - 2, shown.end()),
              (Nicks{"\r[09:05]  Bob renamed to " + kANYA,
                     "\r[09:05]  " + kAnya + " renamed to " + stepped}));
    EXPECT_EQ(rosterNicks(ann), (Nicks{"Ann", kAnya, stepped}));

    bob.chat.renameFromNickBox("");
    EXPECT_EQ(bob.sent.size(), 1u) << "an empty box sends nothing";
    EXPECT_EQ(bob.view.ownNick, kANYA);
}

// What an ignored, hostile or broken peer sends to Bob, who ignores Cyd's, Ann's and Аня's
// lines and Ёлка's messages, logs "#Main" and "#Work", may be told to run programs, and has
// "#Main" and a talk with Ann open.
TEST(HostilePeer, IgnoredMisaddressedMalformedOrMisleadingMessagesLeaveNoTrace) {
    using namespace std::string_literals;
    const std::string bodies[] = {
        chatLine("#Main", "Ann", "hi"), // an ignored sender, in any letter case
        actionLine("#Main", "ANN", " x"),
        chatLine("#Main", kANYA, "hi"),
        privateMessage(kyolka, "Bob", "x"),
        chatLine("#Work", "Dan", "hi"),    // a channel Bob is not on
        privateMessage("Ann", "Cyd", "x"), // for somebody else
        massMessage("Ann", "Cyd", "x"),
        confirmation('0', "Ann", "Cyd", '0', ""),
        remoteExecute("Ann", "Cyd", "cmd", ""),
        remoteExecuteConfirmation("Cyd", "Ann"),
        soundCall("Cyd", "Ann"),
        soundCallAnswer("Cyd", "Ann", '0'),
        probe("Cyd", "Ann", "t"),
        "1Bob\0Eve\0"s + "0",         // visibility missing
        "1Bob\0Eve\0"s + "Z1",        // no such status
        "3Bob\0\0"s + "0",            // no new nick
        "DBob\0"s + "70x\0"s,         // no such status
        join("Eve", "Ann", '0', '0'), // a talk tab's name as a channel
        leave("Bob", "Ann", '0'),
        "K\0#Main\0Eve\0"s,                  // visibility missing
        talkInvitation("#Main", "Bob", '0'), // a talk tab that would pose as a channel
        talkInvitation("", "Bob", '0'),
        talkLine("#Main", "Bob", "hi"), // would write into "#Main"
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        Lan lan;
        Peer& eve = lan.add("Eve");
        Peer& bob = lan.add("Bob", [](Settings& s) {
            s.ignore.channels = "#Cyd#Ann#" + kAnya + "#";
            s.ignore.message = "#" + kYolka + "#";
            s.channels.logged = "#Main\n#Work\n";
            s.execute.razresh = true;
        });
        bob.chat.joinAtStart("#Main");
        bob.chat.talk("Ann");
        lan.run();
        const auto trace = [&] {
            return std::tuple(bob.view.lines.size(), bob.sound.played.size(),
                              TempFolder::read(bob.folder.file("Main.txt")), bob.view.tabNames,
                              bob.view.current, rosterNicks(bob), stateImage(bob, "Bob"),
                              bob.chat.channels().channels().front().members);
        };
        const auto before = trace();
        bob.sent.clear();
        eve.framing.send(body, true);
        lan.run();
        EXPECT_EQ(trace(), before);
        EXPECT_FALSE(std::filesystem::exists(bob.folder.file("Work.txt")));
        EXPECT_TRUE(bob.view.received.empty() && bob.launcher.opened.empty() && bob.sent.empty());
    }
}

TEST(HostilePeer, FloodsCannotGrowRosterTabsOrMembersWithoutEnd) {
    Lan lan;
    Peer& eve = lan.add("Eve");
    Peer& bob = lan.add("Bob");
    bob.chat.joinAtStart("#Main");
    for (int i = 0; i < 5000; ++i) {
        const std::string nick = "Eve" + std::to_string(i);
        eve.framing.send(refreshAnswer("Bob", "Eve", '0', '1'), true);
        eve.framing.send(memberAnswer("Eve", "#Main", nick, '1'), true);
        if (i < 500) {
            eve.framing.send(talkInvitation(nick, "Bob", '0'), true);
        }
    }
    lan.run(20000);
    EXPECT_LT(bob.chat.roster().size(), 5000u);
    EXPECT_GE(bob.chat.roster().size(), 1000u) << "a large network still fits";
    EXPECT_LT(bob.chat.tabs().size(), 500u);
    EXPECT_LT(bob.chat.channels().channels().front().members.size(), 5000u);
}

// Every peer starts with its window hidden in the tray. Away, a chat line (not an action) flashes
// the two tray icons of a hidden window until it is restored; Available, it brings a hidden
// window back, and a shown one needs nothing.
TEST(Attention, AChatLineFlashesTheTrayWhileAwayAndBringsAHiddenWindowBackWhileAvailable) {
    // Status, window shown, balloons on, the icons configured (normal, flashing), the icons shown
    // after four ticks and then a restore, and the restores asked for.
    const std::tuple<char, bool, bool, int, int, std::vector<int>, int> cases[] = {
        {'2', false, false, 4, 5, {5, 4, 5, 4, 4}, 1},
        {'2', false, false, 40, -3, {0, 17, 0, 17, 17}, 1},
        {'0', false, false, 4, 5, {4, 4}, 2},
        {'0', false, true, 4, 5, {4, 4}, 2},
        {'0', true, true, 4, 5, {4}, 1},
    };
    for (const auto& [status, shown, balloon, normal, flash, icons, restores] : cases) {
        SCOPED_TRACE(testing::Message() << status << shown << balloon << normal);
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob");
        bob.chat.setStatus(status);
        bob.settings.icon = {normal, flash};
        bob.settings.view.balloonShow = balloon;
        bob.chat.windowShown(shown);
        ann.framing.send(actionLine("#Main", "Ann", " waves"), true);
        lan.run();
        EXPECT_FALSE(bob.chat.attention().flashing);
        ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
        lan.run();
        EXPECT_EQ(bob.chat.attention().flashing, status == '2');
        EXPECT_FALSE(bob.chat.attention().balloonUp);
        EXPECT_EQ(bob.view.balloons.size(), balloon && !shown ? 1u : 0u);
        ticks(bob, 4);
        bob.chat.restore();
        ticks(bob, 2);
        EXPECT_EQ(bob.view.trayIcons, icons);
        EXPECT_EQ(bob.view.restores, restores);
        EXPECT_FALSE(bob.chat.attention().flashing || bob.chat.attention().balloonUp);
    }
}

} // namespace
