#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using Texts = std::vector<std::string>;

// Ann and Bob on "#Main"; with talk, Ann's current tab is a talk with Bob that Bob has open too.
struct Pair {
    fakes::Lan lan;
    fakes::Peer& ann = lan.add("Ann");
    fakes::Peer& bob = lan.add("Bob");
    explicit Pair(bool talk) {
        if (talk) {
            ann.chat.talk("Bob");
            lan.run();
        }
        ann.sent.clear();
        ann.view.lines.clear();
        bob.view.lines.clear();
    }
};

TEST(ChatLine, CommandsOnChannelAndTalkTabs) {
    struct Case {
        bool talk;
        std::string line;
        Texts bodies;
        std::string echo; // on a talk tab, the one line the sender sees, after its time
        std::string nick;
    };
    const Case cases[] = {
        {false, "/me waves", {actionLine("#Main", "Ann", " waves")}, "", "Ann"},
        {false, "/mew", {actionLine("#Main", "Ann", "w")}, "", "Ann"},
        {false, "/Me", {chatLine("#Main", "Ann", "/Me")}, "", "Ann"},
        {false, "/topic Lunch", {topicChange("#Main", " Lunch (Ann) ")}, "", "Ann"},
        {false, "/nick  ", {chatLine("#Main", "Ann", "/nick  ")}, "", "Ann"},
        {false, "/nick   Bo b  ", {renameNick("Ann", "Bo b", '0')}, "", "Bo b"},
        {true, "hi", {talkLine("Ann", "Bob", "hi")}, "<Ann>: hi", "Ann"},
        {true, "/me nods", {talkAction("Ann", "Bob", " nods")}, "Ann  nods", "Ann"},
        {true, "/topic x", {talkLine("Ann", "Bob", "/topic x")}, "<Ann>: /topic x", "Ann"},
        {true,
         "/nick Anna",
         {talkLine("Ann", "Bob", "/nick Anna"), renameNick("Ann", "Anna", '0')},
         "<Ann>: /nick Anna",
         "Anna"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Pair pair(c.talk);
        EXPECT_TRUE(pair.ann.chat.enterLine(c.line));
        EXPECT_EQ(fakes::sentBodies(pair.ann.sent), c.bodies);
        pair.lan.run();
        EXPECT_EQ(pair.ann.view.textsOf(1),
                  c.echo.empty() ? Texts{} : Texts{"\r[09:05] " + c.echo});
        EXPECT_EQ(pair.bob.view.textsOf(1).size(), c.talk ? 1u : 0u);
        // A rename that came back unrecognised would have been taken for a clash.
        EXPECT_EQ(pair.ann.chat.identity().nick, c.nick);
    }
}

TEST(ChatLine, HistoryWalksBackToTheFirstAndForwardPastTheLast) {
    Pair pair(false);
    EXPECT_FALSE(pair.ann.chat.enterLine(""));
    EXPECT_EQ(pair.ann.chat.historyUp(), "");
    for (const char* line : {"one", "two", "three"}) {
        pair.ann.chat.enterLine(line);
    }
    Texts shown;
    for (int i = 0; i < 8; ++i) {
        shown.push_back(i < 4 ? pair.ann.chat.historyUp() : pair.ann.chat.historyDown());
    }
    EXPECT_EQ(shown, (Texts{"three", "two", "one", "one", "one", "two", "three", ""}));
    pair.ann.chat.enterLine("four");
    EXPECT_EQ(pair.ann.chat.historyUp(), "four");
}

TEST(ChatLine, ClipboardLinesSplitAtEveryLineBreak) {
    const std::pair<std::string, Texts> cases[] = {
        {"one\r\n\r\nthree", {"one", "", "three"}},
        {"one\n\nthree", {"one", "", "three"}},
        {"one\rtwo", {"one", "two"}},
        {"\r\none\r\n", {"one"}},
        {"\r\n", {}},
        {"", {}},
    };
    for (const auto& [text, lines] : cases) {
        for (const bool talk : {false, true}) {
            SCOPED_TRACE(testing::Message() << text << (talk ? " on a talk tab" : ""));
            Pair pair(talk);
            pair.ann.chat.sendClipboardLines(text);
            Texts expected;
            for (const std::string& line : lines) {
                expected.push_back(talk ? talkLine("Ann", "Bob", line)
                                        : chatLine("#Main", "Ann", line));
            }
            EXPECT_EQ(fakes::sentBodies(pair.ann.sent), expected);
            pair.lan.run();
            EXPECT_EQ(pair.bob.view.lines.size(), lines.size());
        }
    }
}

} // namespace
