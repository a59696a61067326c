#include "natterby/protocol/autoanswers.h"
#include "natterby/protocol/layoutswap.h"
#include "natterby/protocol/macros.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/sentbodies.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;
using fakes::Lan;
using fakes::Peer;
using fakes::PlayedSound;
using natterby::settings::Settings;
using Texts = std::vector<std::string>;

std::string archiveOf(const Peer& peer) {
    return TempFolder::read(peer.folder.file("Message.txt"));
}

TEST(PrivateMessages, ConfirmedShownAndArchivedByStatus) {
    // Bob's status, whether his message window opens minimised, the confirmation Ann is shown.
    const std::tuple<char, bool, std::string> cases[] = {
        {'0', true, "\r[09:05]  Bob put message in \"Available (Normal)\"  (lunch)"},
        {'2', false, "\r[09:05]  Bob put message in \"Away (Far From Chat)\"  (lunch)"},
        {'3', false, "\r[09:05]  Bob in \"Offline\""},
    };
    for (const auto& [status, minimised, shown] : cases) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob");
        bob.chat.setStatus(status);
        bob.chat.setAutoAnswer("lunch");
        ann.chat.sendPrivateMessage("Bob", "hello");
        lan.run();

        EXPECT_EQ(archiveOf(ann), "*>*\r\n09:05 | 06.12.2026\r\nBob\r\nhello\r\n");
        ASSERT_EQ(ann.view.textsOf(0), Texts{shown});
        EXPECT_EQ(ann.view.lines[0].font, kAutoAnswerFont);
        EXPECT_EQ(ann.sound.played, (std::vector<PlayedSound>{{2, 1500, 100}}));
        EXPECT_EQ(fakes::sentBodies(bob.sent),
                  Texts{confirmation(status, "Bob", "Ann", '0', "lunch")});
        if (status == '3') {
            EXPECT_TRUE(bob.view.lines.empty() && bob.view.received.empty() &&
                        bob.sound.played.empty());
            EXPECT_FALSE(std::filesystem::exists(bob.folder.file("Message.txt")));
            continue;
        }
        EXPECT_EQ(bob.view.textsOf(0), Texts{"\r[09:05] Message received from <Ann>"});
        EXPECT_EQ(bob.view.lines[0].font, kConfirmationFont);
        EXPECT_EQ(archiveOf(bob), "*<*\r\n09:05 | 06.12.2026\r\nAnn\r\nhello\r\n");
        ASSERT_EQ(bob.view.received.size(), 1u);
        EXPECT_EQ(bob.view.received[0].marker, "<-");
        EXPECT_EQ(bob.view.received[0].text, "hello");
        EXPECT_EQ(bob.view.received[0].minimised, minimised);
        EXPECT_EQ(bob.sound.played, (std::vector<PlayedSound>{{1, 1400, 100}}));
    }
}

// Cyd's notice text marks where the nick goes, and his archive cannot be written: it loses
// only its records, both ways.
TEST(PrivateMessages, IgnoredSendersGetNothingButMassMessagesAlwaysArrive) {
    Lan lan;
    Peer& ann = lan.add("Ann", [](Settings& s) { s.view.arhive = false; });
    Peer& bob = lan.add("Bob", [](Settings& s) { s.ignore.message = "#Ann#"; });
    Peer& cyd = lan.add("Cyd");
    cyd.texts = ChatTexts(common::LanguageTexts(
        cyd.folder.write("Cyd.ini", "[SysMes]\r\nMesRecMe=Got@ just now\r\n")));
    std::filesystem::create_directory(cyd.folder.file("Message.txt"));
    ann.chat.sendPrivateMessage("Bob", "psst");
    ann.chat.sendPrivateMessage("Bob", "");
    lan.run();
    EXPECT_TRUE(bob.sent.empty() && bob.view.lines.empty() && bob.view.received.empty());
    EXPECT_EQ(ann.sent.size(), 1u);

    ann.chat.sendMassMessage({"Cyd", "Bob"}, "one");
    ann.chat.sendMassMessage({"Cyd", "Bob"}, "two");
    lan.run();
    EXPECT_EQ(fakes::sentBodies(ann.sent).back(), massMessage("Ann", "Bob", "two"));
    for (Peer* peer : {&bob, &cyd}) {
        EXPECT_EQ(peer->view.received.size(), 2u);
    }
    const std::string notice = "\r[09:05] Got <Ann> just now";
    EXPECT_EQ(cyd.view.textsOf(0), (Texts{notice, notice}));
    EXPECT_EQ(cyd.sound.played.size(), 2u);

    cyd.chat.sendPrivateMessage("Ann", "back");
    lan.run();
    ASSERT_EQ(ann.view.received.size(), 1u);
    EXPECT_EQ(ann.view.received[0].text, "back");
    EXPECT_EQ(cyd.view.textsOf(0).back(),
              "\r[09:05]  Ann put message in \"Available (Normal)\"  ()");
    EXPECT_TRUE(cyd.view.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(cyd.folder.file("Message.txt")));
    EXPECT_FALSE(std::filesystem::exists(ann.folder.file("Message.txt")));
}

TEST(RemoteExecute, RunsTheWholeCommandOnlyWhenAllowedAndThePasswordMatches) {
    // Allowed, the password stored, the password sent, whether the command runs.
    const std::tuple<bool, std::string, std::string, bool> cases[] = {
        {true, "Secret", "Secret", true},   {true, "", "", true},
        {true, "Secret", "secret", false},  {true, "", "x", false},
        {false, "Secret", "Secret", false},
    };
    for (const auto& [razresh, stored, sent, runs] : cases) {
        Lan lan;
        Peer& ann = lan.add("Ann");
        Peer& bob = lan.add("Bob");
        bob.settings.execute = {razresh, stored};
        // "notepad файл.txt" in Windows-1251: one target, converted for the file system.
        ann.chat.remoteExecute("Bob", "notepad \xF4\xE0\xE9\xEB.txt", sent);
        lan.run();
        if (!runs) {
            EXPECT_TRUE(bob.launcher.opened.empty() && bob.sent.empty() && bob.view.lines.empty() &&
                        ann.view.lines.empty());
            continue;
        }
        EXPECT_EQ(bob.launcher.opened, Texts{"notepad файл.txt"});
        EXPECT_TRUE(bob.launcher.started.empty());
        EXPECT_EQ(bob.view.textsOf(0),
                  Texts{"\r[09:05]  Ann execute notepad \xF4\xE0\xE9\xEB.txt"});
        EXPECT_EQ(ann.view.textsOf(0), Texts{"\r[09:05]  Bob execute"});
        EXPECT_EQ(ann.view.lines[0].font, kConfirmationFont);
    }
}

TEST(SoundCalls, PersonalCallIsAnsweredAndChannelCallsReachEveryMember) {
    Lan lan;
    Peer& ann = lan.add("Ann");
    Peer& bob = lan.add("Bob", [](Settings& s) { s.nicks.gender = '1'; });
    bob.folder.write("Bob.ini", "[SysMes]\r\nBeepPolShe=heard you\r\n");
    ann.texts = ChatTexts(common::LanguageTexts(bob.folder.file("Bob.ini")));
    ann.chat.soundCall("Bob");
    lan.run();
    EXPECT_EQ(bob.view.textsOf(0), Texts{"\r[09:05] Ann send sound call"});
    EXPECT_EQ(bob.sound.played, (std::vector<PlayedSound>{{5, 1500, 500}}));
    EXPECT_EQ(ann.view.textsOf(0), Texts{"\r[09:05] Bob heard you"});
    EXPECT_EQ(ann.view.lines[0].font, kSystemFont);
    EXPECT_TRUE(ann.sound.played.empty());

    bob.chat.soundCall(std::nullopt);
    lan.run();
    EXPECT_EQ(fakes::sentBodies(bob.sent).back(), channelSoundCall("Bob", "#Main"));
    for (Peer* peer : {&ann, &bob}) {
        EXPECT_EQ(peer->view.textsOf(0).back(), "\r[09:05] Bob send sound call");
        EXPECT_EQ(peer->sound.played.back(), (PlayedSound{5, 2000, 500}));
    }
}

constexpr std::string_view kStored =
    "[AutoAns]\r\nCount=3\r\n1=lunch\r\n2=meeting\r\n3=gone\r\nCurrent=lunch\r\n";

TEST(AutoAnswers, ListIsKeptInTheLanguageFileOfTheTexts) {
    TempFolder folder;
    const common::ProfileFile settingsFile(folder.file("Interf.ini"));
    EXPECT_EQ(autoAnswerFile(settingsFile, folder.folder()).path(), folder.file(".ini"));
    settingsFile.writeText("Language", "ini", "English");
    EXPECT_EQ(autoAnswerFile(settingsFile, folder.folder()).path(), folder.file("English.ini"));
}

TEST(AutoAnswers, OkAppendsOrReplacesCancelClearsTheCurrentAndADamagedCountIsBounded) {
    // What was picked (-1: Cancel), the text then in the box, the list afterwards.
    const std::tuple<const char*, int, std::string, Texts> cases[] = {
        {"typed without picking", 0, "home", {"lunch", "meeting", "gone", "home"}},
        {"typed into the empty entry", 4, "home", {"lunch", "meeting", "gone", "home"}},
        {"middle entry edited", 2, "at 3", {"lunch", "at 3", "gone"}},
        {"last entry edited", 3, "fishing", {"lunch", "meeting", "fishing"}},
        {"stored entry taken", 2, "lunch", {"lunch", "meeting", "gone"}},
        {"empty text", 4, "", {"lunch", "meeting", "gone"}},
        {"cancel", -1, "", {"lunch", "meeting", "gone"}},
    };
    for (const auto& [name, picked, text, texts] : cases) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const common::ProfileFile language(folder.write("English.ini", kStored));
        if (picked < 0) {
            cancelAutoAnswer(language);
        } else {
            EXPECT_EQ(acceptAutoAnswer(language, loadAutoAnswers(language), picked, text), text);
        }
        const AutoAnswerList after = loadAutoAnswers(language);
        EXPECT_EQ(after.texts, texts);
        EXPECT_EQ(after.current, text);
    }

    // A damaged count is bounded and written back sound.
    const std::pair<std::string, int> damaged[] = {
        {"2147483647", kMaxAutoAnswers}, {"-5", 0}, {"many", 0}};
    for (const auto& [count, size] : damaged) {
        SCOPED_TRACE(count);
        TempFolder folder;
        const common::ProfileFile language(
            folder.write("English.ini", "[AutoAns]\r\nCount=" + count + "\r\n1=a\r\n"));
        const AutoAnswerList list = loadAutoAnswers(language);
        EXPECT_EQ(list.texts.size(), static_cast<std::size_t>(size));
        acceptAutoAnswer(language, list, 0, "new");
        EXPECT_EQ(language.readInt("AutoAns", "Count", 0), size + 1);
        EXPECT_EQ(language.readText("AutoAns", std::to_string(size + 1), ""), "new");
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
    // The line typed, the bodies sent, the nick afterwards and, only on a talk tab, the one line
    // both ends see there, after its time.
    const std::tuple<std::string, Texts, std::string, std::string> cases[] = {
        {"/me waves", {actionLine("#Main", "Ann", " waves")}, "Ann", ""},
        {"/mew", {actionLine("#Main", "Ann", "w")}, "Ann", ""},
        {"/Me", {chatLine("#Main", "Ann", "/Me")}, "Ann", ""},
        {"/topic Lunch", {topicChange("#Main", " Lunch (Ann) ")}, "Ann", ""},
        {"/nick  ", {chatLine("#Main", "Ann", "/nick  ")}, "Ann", ""},
        {"/nick   Bo b  ", {renameNick("Ann", "Bo b", '0')}, "Bo b", ""},
        {"hi", {talkLine("Ann", "Bob", "hi")}, "Ann", "<Ann>: hi"},
        {"/me nods", {talkAction("Ann", "Bob", " nods")}, "Ann", "Ann  nods"},
        {"/topic x", {talkLine("Ann", "Bob", "/topic x")}, "Ann", "<Ann>: /topic x"},
        {"/nick Anna",
         {talkLine("Ann", "Bob", "/nick Anna"), renameNick("Ann", "Anna", '0')},
         "Anna",
         "<Ann>: /nick Anna"},
    };
    for (const auto& [line, bodies, nick, echo] : cases) {
        SCOPED_TRACE(line);
        Pair pair(!echo.empty());
        EXPECT_TRUE(pair.ann.chat.enterLine(line));
        EXPECT_EQ(fakes::sentBodies(pair.ann.sent), bodies);
        pair.lan.run();
        EXPECT_EQ(pair.ann.view.textsOf(1), echo.empty() ? Texts{} : Texts{"\r[09:05] " + echo});
        EXPECT_EQ(pair.bob.view.textsOf(1), pair.ann.view.textsOf(1));
        // A rename that came back unrecognised would have been taken for a clash.
        EXPECT_EQ(pair.ann.chat.identity().nick, nick);
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

TEST(Macros, CaptionGivesTheTextBeforeItsShortcutAndARecordedLineIsKept) {
    const std::pair<std::string, std::string> cases[] = {
        {"/me \tCtrl+F1", "/me"}, {" \tShift+F1", ""},         {"no tab", "no tab"},
        {"\tShift+F1", ""},       {"a\tb \tShift+F2", "a\tb"},
    };
    for (const auto& [caption, text] : cases) {
        EXPECT_EQ(macroText(caption), text) << caption;
    }
    EXPECT_EQ(insertMacro("ab", 99, "X").text, "abX");

    // A recorded line is inserted whole, now and after a restart.
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
