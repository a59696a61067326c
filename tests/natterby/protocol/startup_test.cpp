#include "tests/fakes/lan.h"

#include <gtest/gtest.h>

namespace {

using namespace natterby::protocol;

TEST(Startup, TitleTrayAndWithNetworkingTheHostFactsAndTheWelcome) {
    for (const bool net : {true, false}) {
        SCOPED_TRACE(net);
        fakes::Lan lan;
        fakes::Peer& ann = lan.add("Ann", [&](natterby::settings::Settings& s) {
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
