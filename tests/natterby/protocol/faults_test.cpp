#include "tests/fakes/tmpfsmount.h"
#include "tests/natterby/protocol/peersteps.h"

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
using natterby::settings::Settings;
using Texts = std::vector<std::string>;

bool contains(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
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
        // The lines after the lost ones go on, both ways.
        ann.chat.selectTab(0);
        ann.framing.send(chatLine("#Main", "Ann", "three"), true);
        EXPECT_TRUE(bob.chat.enterLine("back"));
        lan.run();

        const Texts main = bob.view.textsOf(0);
        const Texts work = bob.view.textsOf(1);
        EXPECT_TRUE(contains(main, "\r[09:05] <Ann>: one"));
        EXPECT_TRUE(contains(main, "\r[09:05] <Ann>: three"));
        EXPECT_TRUE(contains(main, "\r[09:05] <Bob>: back"));
        EXPECT_TRUE(contains(work, "\r[09:05] <Ann>: two"));
        EXPECT_TRUE(contains(work, "\r[09:05]  Ann join to us"));
        EXPECT_TRUE(contains(work, "\r[09:05]  Ann leave with cnannel"));
        EXPECT_EQ(bob.chat.currentTopic(), "Lunch ");
        EXPECT_TRUE(contains(ann.view.textsOf(0), "\r[09:05] <Bob>: back"));
        EXPECT_TRUE(bob.view.messages.empty());
        EXPECT_TRUE(bob.view.questions.empty());
        // Only a log opened on a full file system may appear, and it stays empty.
        for (const auto& [path, size] : sizes()) {
            EXPECT_EQ(size, before.contains(path) ? before.at(path) : 0) << path;
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "a full file system not tried (mounting needs root): " << skipped;
    }
}

} // namespace
