#include "platform/programfolder.h"
#include "tests/fakes/tempfolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(ChooseProgramFolders, KeepsAWritableFolderAndGivesEachUserAFolderOfTheirOwnOtherwise) {
    struct Case {
        const char* package;
        bool writable;
        const char* xdgDataHome;
        const char* home;
        const char* own;
    };
    const Case cases[] = {
        // A build or portable folder stays the program folder, whatever the environment says.
        {"/home/ann/natterby/", true, "/home/ann/data", "/home/ann", "/home/ann/natterby/"},
        {"/usr/lib/natterby/", false, "/home/ann/data", "/home/ann", "/home/ann/data/natterby/"},
        {"/usr/lib/natterby/", false, "/home/ann/data/", "/home/ann", "/home/ann/data/natterby/"},
        // Unset, empty and relative XDG_DATA_HOME all mean the default under HOME.
        {"/opt/natterby/", false, nullptr, "/home/ann", "/home/ann/.local/share/natterby/"},
        {"/opt/natterby/", false, "", "/home/ann/", "/home/ann/.local/share/natterby/"},
        {"/opt/natterby/", false, "data", "/home/ann", "/home/ann/.local/share/natterby/"},
        // Root can write the package's folder, which still belongs to the package manager.
        {"/usr/lib/natterby/", true, nullptr, "/root", "/root/.local/share/natterby/"},
        // Nowhere else to go: the package folder, whose writes then fail as they always did.
        {"/opt/natterby/", false, nullptr, "", "/opt/natterby/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.package) + (c.writable ? " writable" : " read-only") +
                     " XDG_DATA_HOME=" + (c.xdgDataHome ? c.xdgDataHome : "(unset)") +
                     " HOME=" + c.home);
        const platform::ProgramFolders folders =
            platform::chooseProgramFolders(c.package, c.writable, c.xdgDataHome, c.home);
        EXPECT_EQ(folders.package, c.package);
        EXPECT_EQ(folders.own, c.own);
    }
}

TEST(PrepareOwnFolder, StartsFromThePackagesFilesAndNeverReplacesTheUsersOwn) {
    TempFolder root;
    fs::create_directory(root.file("package"));
    const std::string package = root.file("package") + "/";
    const std::string own = root.file("data/natterby") + "/";
    root.write("package/Interf.ini", "[Net]\r\nIPX=false\r\n");
    root.write("package/LangRus.ini", "[Lang]\r\nLang=Russian\r\n");
    root.write("package/natterby", "program");
    // Installed files are read-only to their users.
    fs::permissions(package + "LangRus.ini", fs::perms::owner_read | fs::perms::group_read);

    platform::prepareOwnFolder({package, own});
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(TempFolder::read(own + "Interf.ini"), "[Net]\r\nIPX=false\r\n");
    EXPECT_EQ(TempFolder::read(own + "LangRus.ini"), "[Lang]\r\nLang=Russian\r\n");
    EXPECT_NE(fs::status(own + "LangRus.ini").permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_FALSE(fs::exists(own + "natterby"));

    // The user's settings and macros stay; a language the package gained since comes in.
    root.write("data/natterby/Interf.ini", "[Nicks]\r\nCurrent=Ann\r\n");
    root.write("data/natterby/LangRus.ini", "[Macros]\r\nF1=hello\r\n");
    root.write("package/English.ini", "[Lang]\r\nLang=English\r\n");
    platform::prepareOwnFolder({package, own});
    EXPECT_EQ(TempFolder::read(own + "Interf.ini"), "[Nicks]\r\nCurrent=Ann\r\n");
    EXPECT_EQ(TempFolder::read(own + "LangRus.ini"), "[Macros]\r\nF1=hello\r\n");
    EXPECT_EQ(TempFolder::read(own + "English.ini"), "[Lang]\r\nLang=English\r\n");

    // A folder that is its own program folder gets nothing added.
    platform::prepareOwnFolder({own, own});
    EXPECT_EQ(std::distance(fs::directory_iterator(own), fs::directory_iterator()), 3);
}

} // namespace
