#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using Texts = std::vector<std::string>;
using Messages = std::vector<fakes::RecordingCouriel::Message>;

TEST(FileOffer, AcceptedOfferStartsBothProgramsPassesTheAddressAndAnUnansweredOneLapses) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    ann.chat.setOwnWindow(4321);
    bob.chat.setOwnWindow(70000); // beyond the 16 bits the file-exchange program keeps
    bob.chat.finishStartup();

    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(bob.view.questions, Texts{"Take files from <Ann>?"});
    EXPECT_EQ(bob.launcher.started[0].first, std::string(fakes::kPackageFolder) + "couriel");
    EXPECT_EQ(bob.launcher.started[0].second, (Texts{"wait", "4464"}));
    EXPECT_EQ(ann.launcher.started[0].second, Texts{"4321"});
    EXPECT_EQ(bob.chat.transfer().partner, "Ann");
    EXPECT_EQ(ann.chat.transfer().partner, "");

    ann.chat.courielNotice(kCourielStarted, 55);
    bob.chat.courielNotice(kCourielStarted, 77);
    bob.chat.courielNotice(kCourielListening, 77);
    lan.run();
    EXPECT_TRUE(bob.couriel.sent.empty());
    EXPECT_EQ(
        ann.couriel.sent,
        (Messages{{55, 223, 192}, {55, 223, 168}, {55, 223, 0}, {55, 223, 10}, {55, 224, 0}}));

    for (Peer* peer : {&ann, &bob}) {
        EXPECT_TRUE(peer->chat.transfer().running);
        peer->chat.courielNotice(kCourielFinished, 0);
        EXPECT_FALSE(peer->chat.transfer().running);
        EXPECT_EQ(peer->chat.transfer().partner, "");
    }

    // An offer Bob never hears lapses after ten minutes; until then it is not made again, and
    // an answer after it starts nothing.
    ann.launcher.started.clear();
    ann.chat.offerFiles("Bob");
    for (int tick = 1; tick < kOfferLapseTicks; ++tick) {
        ann.chat.tick();
    }
    lan.drop();
    ann.sent.clear();
    ann.chat.offerFiles("Bob");
    EXPECT_TRUE(ann.sent.empty());
    ann.chat.tick();
    bob.framing.send(fileOfferAnswer("Ann", "Bob", '1'), false);
    lan.run();
    EXPECT_TRUE(ann.launcher.started.empty());
    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(ann.launcher.started.size(), 1u);
}

TEST(FileOffer, RefusedBusyOrFailingPeersAnswerNoAndOneTransferRunsAtATime) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
    Peer& carol = lan.add("Carol");
    // The language file's value loses its leading blank in the reading; the message keeps one.
    ann.texts = ChatTexts(
        common::LanguageTexts(ann.folder.write("Lang.ini", "[SysMes]\r\nNotFile=  says no\r\n")));
    bob.view.answerYes = false;
    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(ann.view.messages, Texts{"<Bob> says no"});
    EXPECT_FALSE(ann.chat.transfer().running || bob.chat.transfer().running);

    // Busy with Carol's files, Bob refuses Ann's without asking.
    bob.view.answerYes = true;
    carol.chat.offerFiles("Bob");
    lan.run();
    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(bob.view.questions.size(), 2u);
    EXPECT_EQ(bob.launcher.started.size(), 1u);
    EXPECT_EQ(ann.view.messages, (Texts{"<Bob> says no", "<Bob> says no"}));

    // A second S '1' starts no second program, and Carol offers no more until it has ended.
    bob.framing.send(fileOfferAnswer("Carol", "Bob", '1'), false);
    lan.run();
    carol.sent.clear();
    carol.chat.offerFiles("Ann");
    EXPECT_EQ(carol.launcher.started.size(), 1u);
    EXPECT_TRUE(carol.sent.empty());

    // Once it has ended, an answer replayed, or one to an offer never made, starts nothing and
    // shows nothing.
    carol.chat.courielNotice(kCourielFinished, 0);
    ann.view.messages.clear();
    bob.framing.send(fileOfferAnswer("Carol", "Bob", '1'), false);
    bob.framing.send(fileOfferAnswer("Ann", "Bob", '1'), false);
    bob.framing.send(fileOfferAnswer("Ann", "Bob", '0'), false);
    lan.run();
    EXPECT_EQ(carol.launcher.started.size(), 1u);
    EXPECT_TRUE(ann.launcher.started.empty() && ann.view.messages.empty());

    // A program that cannot start leaves no transfer, and the user is told why; the accepting
    // side answers no, or the offering side would wait for an address.
    bob.chat.courielNotice(kCourielFinished, 0);
    bob.launcher.failure = "gone";
    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(bob.view.messages, Texts{"Couriel cannot be started: " +
                                       std::string(fakes::kPackageFolder) + "couriel: gone"});
    EXPECT_EQ(ann.view.messages, Texts{"<Bob> says no"});
    bob.launcher.failure.reset();
    ann.launcher.failure = "gone";
    ann.chat.offerFiles("Bob");
    lan.run();
    EXPECT_EQ(ann.view.messages.size(), 2u);
    EXPECT_FALSE(ann.chat.transfer().running);
    EXPECT_TRUE(bob.chat.transfer().running);
}

TEST(FileOffer, ListeningSendsTheRoutedAddressOrTheOneFoundAgainWhenTheStoredOneIsUseless) {
    // Networking on, the addresses at start, the route toward the offering peer (empty: none, as
    // over IPX) which wins over the first of the list (a VPN's, say), the address sent.
    const std::tuple<bool, Texts, std::string, std::string> cases[] = {
        {true, {"10.0.0.5"}, "172.16.0.2", "172.16.0.2"},
        {false, {"10.0.0.5"}, "172.16.0.2", "172.16.0.2"},
        {true, {"10.0.0.5", "192.168.1.9"}, "", "10.0.0.5"},
        {true, {"10.0.0.5"}, "127.0.0.1", "10.0.0.5"},
        {true, {"127.0.0.1"}, "", "192.168.1.9"},
        {true, {}, "", "192.168.1.9"},
        {false, {"10.0.0.5"}, "", "none"},
    };
    for (const auto& [net, atStart, route, sent] : cases) {
        SCOPED_TRACE(sent);
        Lan lan;
        Peer& ann = lan.add("Ann");
        ann.chat.offerFiles("Bob");
        Peer& bob = lan.add("Bob");
        bob.settings.net.net = net;
        if (!route.empty()) {
            bob.host.routes[ann.address] = route;
        }
        bob.host.addressList = atStart;
        bob.chat.finishStartup();
        bob.host.addressList = {"127.0.0.1", "10.0.0.5", "192.168.1.9"};
        lan.run();
        bob.sent.clear();
        bob.chat.courielNotice(kCourielListening, 77);
        EXPECT_EQ(fakes::sentBodies(bob.sent), Texts{receiverAddress("Ann", "Bob", sent)});
    }
}

TEST(FileOffer, ReceivedAddressBecomesFourNumbersAndStrayMessagesAreDropped) {
    // Whatever would not reach the peer goes on as the four zeros of an unknown address.
    const std::pair<std::string, std::array<int, 4>> cases[] = {
        {"192.168.0.7", {192, 168, 0, 7}},
        {"none", {}},
        {"10.x.5", {}},
        {"1.2.3.4.5", {}},
        {"300.1.2.3", {}},
        {"1.-1.2.+2", {}},
        {"9..", {}},
        {"0.0.0.0", {}},
        {"127.0.0.1", {}},
        {"10.0.0.1000", {}},
        {"255.0.0.1", {255, 0, 0, 1}},
    };
    for (const auto& [address, parts] : cases) {
        SCOPED_TRACE(address);
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob");
        // Before any transfer: an address, a cut answer, messages for somebody else.
        bob.framing.send(receiverAddress("Ann", "Bob", address), false);
        bob.framing.send(std::string("SAnn\0Bob\0", 9), false);
        bob.framing.send(fileOffer("Carol", "Bob"), false);
        lan.run();
        EXPECT_TRUE(ann.couriel.sent.empty() && ann.launcher.started.empty());
        EXPECT_TRUE(ann.view.questions.empty() && ann.view.messages.empty());

        ann.chat.offerFiles("Bob");
        lan.run();
        ann.chat.courielNotice(kCourielStarted, 55);
        // Only the accepting nick's address counts, and only its first.
        bob.framing.send(receiverAddress("Carol", "Bob", "10.0.0.5"), false);
        bob.framing.send(receiverAddress("Ann", "Carol", "10.0.0.5"), false);
        bob.framing.send(receiverAddress("Ann", "Bob", address), false);
        bob.framing.send(receiverAddress("Ann", "Bob", "10.0.0.5"), false);
        lan.run();
        Messages expected;
        for (const int part : parts) {
            expected.push_back({55, kCourielAddressPart, part});
        }
        expected.push_back({55, kCourielAddressComplete, 0});
        EXPECT_EQ(ann.couriel.sent, expected);
    }
}

} // namespace
