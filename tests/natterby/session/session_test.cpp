// The whole chat without a widget: the session loads the settings, opens a real UDP socket, and
// what the chat sends comes back through the loopback interface, which stands in for the
// broadcast address a test machine may not route.
#include "natterby/session/session.h"
#include "tests/fakes/freeport.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/recordingview.h"
#include "tests/fakes/sessionfakes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <utility>
#include <vector>

namespace {

using natterby::session::CourielEndpoint;

class Startup : public natterby::session::StartupView {
public:
    natterby::settings::Bounds windowBounds() override { return {195, 115, 678, 435}; }
    natterby::settings::FontStyle mainFont() override { return {}; }
    void languageChanged() override {}
    void addToChannelMenu(const std::string& channel) override { menu.push_back(channel); }
    void settingsLoaded() override { ++loaded; }
    std::vector<std::string> menu;
    int loaded = 0;
};

TEST(Session, AnOwnChatLineGoesOutOnTheSocketAndComesBackOnceInYourText) {
    fakes::qtApplication();
    fakes::SessionFakes parts;
    parts.folder.write("Interf.ini",
                       "[Net]\r\nIPX=false\r\nUDPPort=" + std::to_string(fakes::freePort()) +
                           "\r\nUDPAdress=127.0.0.1\r\n[Nicks]\r\nCurrent=Ann\r\n"
                           "[Channels]\r\nChannels=#Lab\r\n");
    fakes::RecordingView view;
    Startup window;
    natterby::session::Session session(view, window, parts.seams(nullptr, parts.folder.folder()));
    // A message box of the start-up load runs the event loop before the core exists: what
    // arrives then is dropped.
    std::string early = "T123456789" + natterby::protocol::refreshRequest("Bob");
    session.receive(early);
    session.start();
    ASSERT_TRUE(view.messages.empty()) << view.messages.front();
    EXPECT_EQ(window.loaded, 1);
    EXPECT_EQ(window.menu, std::vector<std::string>{"#Lab"});
    EXPECT_EQ(session.chat().identity().nick, "Ann");

    ASSERT_TRUE(session.chat().enterLine("over the wire"));
    const auto ownLines = [&] {
        std::vector<fakes::RecordingView::Line> found;
        std::copy_if(view.lines.begin(), view.lines.end(), std::back_inserter(found),
                     [](const auto& line) { return line.text.ends_with("over the wire"); });
        return found;
    };
    fakes::waitUntil([&] { return !ownLines().empty(); }, std::chrono::seconds(5));
    // a second copy of the line would arrive now
    fakes::waitUntil([] { return false; }, std::chrono::milliseconds(200));
    ASSERT_EQ(ownLines().size(), 1u);
    EXPECT_EQ(ownLines()[0].font, natterby::protocol::kOwnFont);
    EXPECT_EQ(ownLines()[0].text, "\r[09:05] <Ann>: over the wire");
    session.close();
}

TEST(CourielEndpoint, NoticesReachTheChatByItsNumberAndWithoutAFolderNothingIsSent) {
    fakes::qtApplication();
    TempFolder folder;
    CourielEndpoint chat(folder.folder());
    CourielEndpoint couriel(folder.folder());
    ASSERT_NE(chat.number(), couriel.number());
    std::vector<std::pair<int, int>> notices;
    chat.onNotice([&](int code, int value) { notices.emplace_back(code, value); });

    couriel.send(chat.number(), 221, couriel.number());
    EXPECT_EQ(notices, (std::vector<std::pair<int, int>>{{221, couriel.number()}}));

    CourielEndpoint homeless("");
    EXPECT_EQ(homeless.number(), 0);
    homeless.send(chat.number(), 223, 192);
    EXPECT_EQ(notices.size(), 1u);
}

} // namespace
