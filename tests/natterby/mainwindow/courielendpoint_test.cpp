#include "natterby/mainwindow/courielendpoint.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/tempfolder.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using natterby::mainwindow::CourielEndpoint;

TEST(CourielEndpoint, NoticesReachTheChatByItsNumber) {
    fakes::qtApplication();
    TempFolder folder;
    CourielEndpoint chat(folder.folder());
    CourielEndpoint couriel(folder.folder());
    ASSERT_NE(chat.number(), 0);
    ASSERT_NE(chat.number(), couriel.number());
    std::vector<std::pair<int, int>> notices;
    chat.onNotice([&](int code, int value) { notices.emplace_back(code, value); });

    couriel.send(chat.number(), 221, couriel.number());
    EXPECT_EQ(notices, (std::vector<std::pair<int, int>>{{221, couriel.number()}}));
}

TEST(CourielEndpoint, WithoutAFolderNothingIsSentAndNothingBreaks) {
    CourielEndpoint chat("");
    EXPECT_EQ(chat.number(), 0);
    chat.send(1, 223, 192);
}
