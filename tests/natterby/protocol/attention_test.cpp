#include "tests/fakes/lan.h"

#include <gtest/gtest.h>

// Every peer starts with its window hidden in the tray.
namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using natterby::settings::Settings;

void ticks(Peer& peer, int count) {
    for (int i = 0; i < count; ++i) {
        peer.chat.tick();
    }
}

TEST(Attention, TheTrayFlashesItsTwoIconsUntilRestored) {
    struct Case {
        int normal, flash;  // as configured
        int shownN, shownF; // as shown
    };
    for (const Case& c : {Case{4, 5, 4, 5}, {9, 12, 9, 12}, {40, -3, 17, 0}}) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [&](Settings& s) {
            s.nicks.status = '2';
            s.icon = {c.normal, c.flash};
        });
        ann.framing.send(actionLine("#Main", "Ann", " waves"), true);
        lan.run();
        EXPECT_FALSE(bob.chat.attention().flashing);

        ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
        lan.run();
        EXPECT_TRUE(bob.chat.attention().flashing);
        EXPECT_TRUE(bob.view.balloons.empty());
        ticks(bob, 4);
        EXPECT_EQ(bob.view.trayIcons, (std::vector<int>{c.shownF, c.shownN, c.shownF, c.shownN}));

        bob.chat.restore();
        EXPECT_EQ(bob.view.restores, 1);
        ticks(bob, 2);
        EXPECT_EQ(bob.view.trayIcons.size(), 5u);
        EXPECT_EQ(bob.view.trayIcons.back(), c.shownN);
    }
}

TEST(Attention, ABalloonHoldsTheFlashingBackUntilItsTimeIsOver) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob", [](Settings& s) {
        s.nicks.status = '1';
        s.view.balloonShow = true;
    });
    ann.framing.send(chatLine("#Main", "Ann", std::string(50, 'x')), true);
    lan.run();
    EXPECT_EQ(bob.view.balloons, (std::vector<std::pair<std::string, std::string>>{
                                     {"#Main", "<Ann>: " + std::string(40, 'x')}}));
    ticks(bob, 20);
    ann.framing.send(chatLine("#Main", "Ann", "again"), true);
    lan.run();
    EXPECT_EQ(bob.view.balloonsHidden, 1);
    ticks(bob, 20);
    EXPECT_TRUE(bob.view.trayIcons.empty());
    ticks(bob, 1);
    EXPECT_EQ(bob.view.trayIcons, std::vector<int>{5});
}

// Available (the default status), a hidden window comes back; a shown one needs nothing.
TEST(Attention, AChatLineBringsAHiddenWindowBackWhileAvailable) {
    struct Case {
        bool shown, balloon;
        int restores;
    };
    for (const Case& c : {Case{false, false, 1}, {false, true, 1}, {true, true, 0}}) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [&](Settings& s) { s.view.balloonShow = c.balloon; });
        if (c.shown) {
            bob.chat.windowShown(true);
        }
        ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
        lan.run();
        ticks(bob, 2);
        EXPECT_EQ(bob.view.restores, c.restores);
        EXPECT_FALSE(bob.chat.attention().flashing || bob.chat.attention().balloonUp);
        EXPECT_TRUE(!c.shown || bob.view.balloons.empty());
        EXPECT_EQ(bob.view.trayIcons, std::vector<int>(c.restores, 4));
    }
}

TEST(Startup, TitleTrayAndWithNetworkingTheHostFactsAndTheWelcome) {
    for (const bool net : {true, false}) {
        SCOPED_TRACE(net);
        Lan lan;
        Peer& ann = lan.add("Ann", [&](Settings& s) {
            s.net.net = net;
            s.icon.normal = 7;
        });
        ann.host.addressList = {"10.0.0.5", "192.168.1.9"};
        ann.chat.finishStartup();
        EXPECT_EQ(ann.view.caption, "[#Main] - Natterby v 1.1");
        EXPECT_EQ(ann.view.trayTip, ann.view.caption);
        EXPECT_EQ(ann.view.trayIcons, std::vector<int>{7});
        EXPECT_EQ(ann.chat.identity().address, net ? "10.0.0.5" : "none");
        EXPECT_EQ(ann.chat.identity().userName, net ? "ann" : "none");
        ASSERT_EQ(ann.view.lines.size(), net ? 1u : 0u);
        if (net) {
            EXPECT_EQ(ann.view.lines[0].font, kWelcomeFont);
            EXPECT_TRUE(ann.view.lines[0].text.starts_with("\r[09:05] Natterby is"));
        }
    }
}

} // namespace
