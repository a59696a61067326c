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

// Away, a chat line (not an action) flashes the two tray icons of a hidden window until it is
// restored; Available, it brings a hidden window back, and a shown one needs nothing.
TEST(Attention, AChatLineFlashesTheTrayWhileAwayAndBringsAHiddenWindowBackWhileAvailable) {
    struct Case {
        char status;
        bool shown, balloon;
        int normal, flash;      // as configured
        std::vector<int> icons; // as shown, after four ticks and then a restore
        int restores;
    };
    const Case cases[] = {
        {'2', false, false, 4, 5, {5, 4, 5, 4, 4}, 1},
        {'2', false, false, 40, -3, {0, 17, 0, 17, 17}, 1},
        {'0', false, false, 4, 5, {4, 4}, 2},
        {'0', false, true, 4, 5, {4, 4}, 2},
        {'0', true, true, 4, 5, {4}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.status << c.shown << c.balloon << c.normal);
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob", [&](Settings& s) {
            s.nicks.status = c.status;
            s.icon = {c.normal, c.flash};
            s.view.balloonShow = c.balloon;
        });
        bob.chat.windowShown(c.shown);
        ann.framing.send(actionLine("#Main", "Ann", " waves"), true);
        lan.run();
        EXPECT_FALSE(bob.chat.attention().flashing);
        ann.framing.send(chatLine("#Main", "Ann", "hi"), true);
        lan.run();
        EXPECT_EQ(bob.chat.attention().flashing, c.status == '2');
        EXPECT_FALSE(bob.chat.attention().balloonUp);
        EXPECT_EQ(bob.view.balloons.size(), c.balloon && !c.shown ? 1u : 0u);
        ticks(bob, 4);
        bob.chat.restore();
        ticks(bob, 2);
        EXPECT_EQ(bob.view.trayIcons, c.icons);
        EXPECT_EQ(bob.view.restores, c.restores);
        EXPECT_FALSE(bob.chat.attention().flashing || bob.chat.attention().balloonUp);
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
