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

} // namespace
