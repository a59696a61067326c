#include "couriel/program/chatlink.h"
#include "platform/messagechannel.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/tempfolder.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The program as the chat starts it, in a process of its own, reporting to the test's endpoint;
// a logout's SIGTERM closes it as its window would, so the chat hears that it is over.
TEST(CourielProcess, AReceivingCopyReportsToTheChatAndClosesOnSigterm) {
    fakes::qtApplication();
    TempFolder messages;
    // A runtime folder must be the user's alone.
    std::filesystem::permissions(messages.folder(), std::filesystem::perms::owner_all);
    std::vector<std::pair<int, int>> notices;
    const auto chat = platform::MessageEndpoint::create(
        [&](int code, int value) { notices.emplace_back(code, value); }, messages.folder());
    ASSERT_NE(chat, nullptr);

    QProcess couriel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       QString::fromStdString(messages.folder()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    couriel.setProcessEnvironment(environment);
    couriel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Above 65535 only the low 16 bits count.
    const int window = chat->number() + 3 * 65536;
    // A copy of its own: the program keeps its Interf.ini beside the executable.
    TempFolder program;
    std::filesystem::copy_file(NATTERBY_PROGRAM_DIR "/couriel", program.file("couriel"));
    couriel.start(QString::fromStdString(program.file("couriel")),
                  {QStringLiteral("wait"), QString::number(window)});
    ASSERT_TRUE(couriel.waitForStarted());

    const bool reported = fakes::waitUntil([&] { return !notices.empty(); });
    couriel.terminate();
    const bool over = fakes::waitUntil(
        [&] { return !notices.empty() && notices.back().first == couriel::kNoticeOver; });
    couriel.waitForFinished(); // it may have ended while the notice was handled
    ASSERT_TRUE(reported);
    EXPECT_EQ(notices.front().first, couriel::kNoticeStarted);
    EXPECT_GT(notices.front().second, 0);
    EXPECT_NE(notices.front().second, chat->number());
    EXPECT_TRUE(over);
    EXPECT_EQ(couriel.state(), QProcess::NotRunning);
    EXPECT_EQ(couriel.exitStatus(), QProcess::NormalExit);
}

} // namespace
