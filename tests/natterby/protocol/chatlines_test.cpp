#include "natterby/protocol/layoutswap.h"
#include "natterby/protocol/macros.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using natterby::settings::Settings;
using Texts = std::vector<std::string>;

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
        Peer& bob = lan.add("Bob", [&](Settings& s) {
            s.execute.razresh = true;
            if (c.setup) {
                c.setup(s);
            }
        });
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

// Ann and Bob on "#Main"; with talk, Ann's current tab is a talk with Bob that Bob has open too.
struct Pair {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob");
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

TEST(Macros, CaptionGivesTheTextBeforeTheBlankAndTabOfItsShortcut) {
    const std::pair<std::string, std::string> cases[] = {
        {"/me \tCtrl+F1", "/me"}, {" \tShift+F1", ""},         {"no tab", "no tab"},
        {"\tShift+F1", ""},       {"a\tb \tShift+F2", "a\tb"},
    };
    for (const auto& [caption, text] : cases) {
        EXPECT_EQ(macroText(caption), text) << caption;
    }
    const Insertion inserted = insertMacro("ab", 1, "/me");
    EXPECT_EQ(inserted.text, "a/meb");
    EXPECT_EQ(inserted.caret, 4u);
    EXPECT_EQ(insertMacro("ab", 99, "X").text, "abX");
}

TEST(Macros, RecordedLineIsInsertedWholeNowAndAfterARestart) {
    TempFolder folder;
    const common::ProfileFile settingsFile(
        folder.write("Interf.ini", "[Language]\r\nini=English\r\n"));
    EXPECT_FALSE(recordMacro(3, "", settingsFile, folder.folder()));
    const std::optional<std::string> caption =
        recordMacro(3, "see you", settingsFile, folder.folder());
    ASSERT_TRUE(caption);
    EXPECT_EQ(macroText(*caption), "see you");
    const Texts loaded = macroCaptions(common::LanguageTexts(folder.file("English.ini")));
    EXPECT_EQ(loaded[2], *caption);
    EXPECT_EQ(loaded[11], " \tShift+F12");

    // Without a language setting, the macro goes to LangRus.ini.
    TempFolder other;
    ASSERT_TRUE(
        recordMacro(12, "bye", common::ProfileFile(other.file("Interf.ini")), other.folder()));
    EXPECT_EQ(common::ProfileFile(other.file("LangRus.ini")).readText("Macros", "F12", ""), "bye");
}

// "привет" and "Привет, мир" in Windows-1251, typed on the other layout.
TEST(LayoutSwap, EveryKeySwapsBothWaysAndOneWayCharactersOnlyOnce) {
    const std::string privet = "\xEF\xF0\xE8\xE2\xE5\xF2";
    EXPECT_EQ(swapKeyboardLayout("ghbdtn"), privet);
    EXPECT_EQ(swapKeyboardLayout(privet), "ghbdtn");
    EXPECT_EQ(swapKeyboardLayout("#`~"), "\xB9\xB8\xA8");
    EXPECT_EQ(swapKeyboardLayout("\xB9\xB8\xA8"), "#`~");
    EXPECT_EQ(swapKeyboardLayout("Ghbdtn, vbh"), "\xCF\xF0\xE8\xE2\xE5\xF2\xE1 \xEC\xE8\xF0");
    // One pass only: '/' becomes '.', which would otherwise become the letter on its key.
    EXPECT_EQ(swapKeyboardLayout("/?&^"), ".,?:");
    EXPECT_EQ(swapKeyboardLayout("1 2\t!"), "1 2\t!");
}

} // namespace
