#include "common/profile.h"
#include "couriel/program/chatlink.h"
#include "couriel/program/commandline.h"
#include "couriel/program/folders.h"
#include "couriel/window/exchangewindow.h"
#include "couriel/window/filebrowser.h"
#include "platform/launcher.h"
#include "platform/messagechannel.h"
#include "platform/stream.h"
#include "tests/couriel/courielfakes.h"
#include "tests/fakes/tempfolder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <ostream>
#include <sys/stat.h>
#include <tuple>

// Failures show the text rather than its code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

namespace fs = std::filesystem;
using namespace couriel_test;
using namespace std::chrono_literals;
using couriel::Side;
using Notices = std::vector<std::pair<int, int>>;

class OpeningLauncher : public platform::Launcher {
public:
    std::optional<std::string> startProgram(const std::string&,
                                            const std::vector<std::string>&) override {
        return std::nullopt;
    }
    void openWithDefaultAction(const std::string& target) override { opened.push_back(target); }
    std::vector<std::string> opened;
};

// The chat that started a copy, as far as the copy sees it: an endpoint that notes every
// notice.
class ChatEnd {
public:
    explicit ChatEnd(const std::string& folder)
        : endpoint_(platform::MessageEndpoint::create(
              [this](int code, int value) { notices.emplace_back(code, value); }, folder)) {}

    std::uint16_t number() const { return static_cast<std::uint16_t>(endpoint_->number()); }
    // What the chat does with an address from the peer's chat: four parts, then complete.
    void sendAddress(int window, std::array<int, 4> parts) {
        for (const int part : parts) {
            endpoint_->send(window, couriel::kAddressPart, part);
        }
        endpoint_->send(window, couriel::kAddressComplete, 0);
    }

    Notices notices;

private:
    std::unique_ptr<platform::MessageEndpoint> endpoint_;
};

// One copy of the program, as its chat starts it, with its program folder.
class Copy {
public:
    Copy(const std::string& messageFolder, std::uint16_t chatWindow, Side side,
         const std::string& programFolder, std::uint16_t port,
         std::vector<std::string> drives = {"/"})
        : link(messageFolder, chatWindow),
          window(std::make_unique<couriel::ExchangeWindow>(
              couriel::ExchangeContext{programFolder, common::CodePage("CP1251"), host, launcher,
                                       link, std::move(drives), port},
              side)) {
        window->show();
    }

    template <typename Widget> Widget* child(const char* name) const {
        auto* found = window->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QString status() const { return child<QLabel>("status")->text(); }
    couriel::FileBrowser* browser() const {
        return dynamic_cast<couriel::FileBrowser*>(child<QTreeWidget>("browser"));
    }
    std::string folder() const { return browser()->folder(); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (int i = 0; i < browser()->topLevelItemCount(); ++i) {
            names.push_back(browser()->topLevelItem(i)->text(0).toStdString());
        }
        return names;
    }
    QTreeWidgetItem* entry(const std::string& name) const {
        const auto found = browser()->findItems(QString::fromStdString(name), Qt::MatchExactly, 0);
        EXPECT_EQ(found.size(), 1) << name;
        return found.value(0);
    }
    void select(const std::vector<std::string>& names) const {
        for (const std::string& name : names) {
            entry(name)->setSelected(true);
        }
    }

    HostWithFreeSpace host;
    OpeningLauncher launcher;
    couriel::ChatLink link;
    std::unique_ptr<couriel::ExchangeWindow> window;
};

class ExchangeWindowTest : public testing::Test {
protected:
    ~ExchangeWindowTest() override { fakes::deletePendingWidgets(); }

    std::unique_ptr<Copy> start(Side side, std::vector<std::string> drives = {"/"}) {
        return std::make_unique<Copy>(messages.folder(), chat.number(), side, program.folder(),
                                      port, std::move(drives));
    }
    // After the peer's program died in the middle of a file: the window shows the broken
    // connection, never the end title, tells the chat nothing until it is closed, and closes
    // and goes away cleanly.
    void expectBrokenAndCloseCleanly(std::unique_ptr<Copy>& copy, Death death) {
        ASSERT_TRUE(waitUntil([&] { return copy->status() == "Disconnect"; }));
        // Time for a wrong end title or closing to come.
        runFor(300ms);
        EXPECT_EQ(copy->window->windowTitle(), "Couriel");
        EXPECT_TRUE(copy->window->isVisible());
        EXPECT_NE(chat.notices.back().first, couriel::kNoticeOver);
        // A reset is a socket error, an orderly close is none.
        const auto boxes = copy->window->findChildren<QMessageBox*>("message");
        ASSERT_EQ(boxes.size(), death == Death::Reset ? 1 : 0);
        if (death == Death::Reset) {
            EXPECT_TRUE(boxes[0]->text().startsWith("Socket error WSAECONNRESET"));
        }
        copy->window->close();
        EXPECT_EQ(chat.notices.back().first, couriel::kNoticeOver) << "closing tells the chat";
        copy.reset();
        fakes::deletePendingWidgets();
        EXPECT_TRUE(waitUntil([&] { return platform::SocketStartup::live() == sockets; }));
    }

    // Before the endpoints, whose notifiers need it.
    QApplication& application = fakes::qtApplication();
    const int sockets = platform::SocketStartup::live();
    TempFolder messages;
    TempFolder program;
    ChatEnd chat{messages.folder()};
    std::uint16_t port = fakes::freePort(SOCK_STREAM);
};

// Its texts come from the language file Interf.ini names, in the code page; what that file
// leaves out is the built-in text.
TEST_F(ExchangeWindowTest, TheReceivingSideListensOnceItsPortIsFreeAndTellsTheChat) {
    program.write("Interf.ini", "[Language]\r\nini=Mine\r\n");
    program.write("Mine.ini", "[Exchange]\r\nWait=\xcf\xf0\xe8\xb8\xec\r\nReady=Go\r\n");
    auto other = std::make_unique<RawPeer>();
    port = other->listen();
    const auto copy = start(Side::Receiving);
    const int window = copy->link.ownWindow();
    EXPECT_EQ(copy->window->windowTitle(), QString::fromUtf8("Приём"));
    EXPECT_EQ(copy->button("ready")->text(), "Go");
    EXPECT_FALSE(copy->button("send")->isEnabled());
    EXPECT_EQ(copy->status().toStdString(), program.folder());

    // A receiving copy never sends, even when told an address: it would read from the very
    // folder it writes into.
    chat.sendAddress(window, {127, 0, 0, 1});
    EXPECT_FALSE(copy->button("send")->isEnabled());

    // The port is taken: the socket's message, no notice, and Ready may be pressed again.
    copy->button("ready")->click();
    ASSERT_TRUE(waitUntil([&] { return copy->window->findChild<QMessageBox*>("message"); }));
    EXPECT_TRUE(copy->button("ready")->isEnabled());
    EXPECT_TRUE(copy->browser()->isEnabled());

    other.reset();
    copy->button("ready")->click();
    EXPECT_EQ(chat.notices,
              (Notices{{couriel::kNoticeStarted, window}, {couriel::kNoticeListening, window}}));
    EXPECT_EQ(copy->status(), "Listen...");
    for (const char* control : {"ready", "browser", "drives", "folderBox", "up", "root"}) {
        EXPECT_FALSE(copy->child<QWidget>(control)->isEnabled()) << control;
    }
    RawPeer sender;
    ASSERT_TRUE(sender.connect(port));
    // The built-in text loses its blank in the reading; the window puts one back.
    ASSERT_TRUE(waitUntil([&] { return copy->status() == "Connect to 127.0.0.1"; }));

    // A whole file and the end mark: the end title, the chat told, the window closed.
    sender.write("FILE\r1\rx.txt\rxEND");
    ASSERT_TRUE(waitUntil([&] { return !copy->window->isVisible(); }));
    sender.drain();
    EXPECT_EQ(sender.received, "UPLOADING");
    EXPECT_EQ(TempFolder::read(program.file("x.txt")), "x");
    EXPECT_EQ(copy->window->windowTitle(), "End");
    EXPECT_EQ(chat.notices, (Notices{{couriel::kNoticeStarted, window},
                                     {couriel::kNoticeListening, window},
                                     {couriel::kNoticeOver, 0},
                                     {couriel::kNoticeOver, 0}}));
}

TEST_F(ExchangeWindowTest, TheSendingSideSendsTheSelectionToTheAddressFromTheChat) {
    program.write("one.txt", "1");
    program.write("two.txt", "22");
    // What a header cannot carry: a name the code page cannot write, a size beyond 31 bits,
    // no file to read (a link to nothing), no regular file (a pipe).
    program.write("日本.txt", "j");
    fs::resize_file(program.write("big.bin", ""), std::uintmax_t{1} << 31);
    fs::create_symlink(program.file("nothing"), program.file("dangling"));
    ASSERT_EQ(::mkfifo(program.file("pipe").c_str(), 0600), 0);
    RawReceiver receiver;
    port = receiver.peer.listen();
    const auto copy = start(Side::Sending);
    const int window = copy->link.ownWindow();
    EXPECT_FALSE(copy->button("ready")->isEnabled());
    EXPECT_FALSE(copy->button("send")->isEnabled());

    // The chat's "none" and parts out of range leave the peer unknown, never this computer.
    for (const std::array<int, 4> unknown :
         {std::array{0, 0, 0, 0}, std::array{10, 0, 0, 256}, std::array{10, -1, 0, 1}}) {
        chat.sendAddress(window, unknown);
        EXPECT_FALSE(copy->button("send")->isEnabled());
        EXPECT_EQ(copy->status(), "The peer's address is unknown");
    }
    chat.sendAddress(window, {127, 0, 0, 1});
    ASSERT_TRUE(copy->button("send")->isEnabled());

    // With nothing selected there is nothing to connect for.
    copy->button("send")->click();
    runFor(200ms);
    receiver.poll();
    EXPECT_FALSE(receiver.accepted);
    EXPECT_TRUE(copy->browser()->isEnabled());

    // The files go from the end of the selection in its order on screen, the parent entry
    // left out; then the end title and the chat told, while the window stays open to name
    // what stayed behind.
    copy->select({"two.txt", "pipe", "日本.txt", "[..]", "one.txt", "big.bin", "dangling"});
    copy->button("send")->click();
    ASSERT_TRUE(waitUntil([&] {
        receiver.poll();
        return receiver.ended && copy->window->windowTitle() == "End";
    }));
    runFor(300ms);
    EXPECT_EQ(receiver.peer.received, "FILE\r2\rtwo.txt\r22FILE\r1\rone.txt\r1END");
    EXPECT_EQ(copy->status(), "Not sent: ??.txt, pipe, dangling, big.bin");
    EXPECT_TRUE(copy->window->isVisible());
    EXPECT_FALSE(copy->button("send")->isEnabled());
    EXPECT_FALSE(copy->browser()->hasSelection());
    EXPECT_EQ(chat.notices,
              (Notices{{couriel::kNoticeStarted, window}, {couriel::kNoticeOver, 0}}));
}

// Started without arguments the window closes at once; with no folder for its endpoint what it
// has to tell the chat is lost, harming nothing.
TEST_F(ExchangeWindowTest, WithoutArgumentsTheWindowClosesAtOnceAndLostNoticesHarmNothing) {
    const Copy copy("", chat.number(), Side::None, program.folder(), port);
    EXPECT_EQ(copy.link.ownWindow(), 0);
    EXPECT_TRUE(waitUntil([&] { return !copy.window->isVisible(); }));
    EXPECT_TRUE(chat.notices.empty());
}

TEST_F(ExchangeWindowTest, TheBrowserMovesByKeysButtonsAndDrivesAndTheLastFolderIsKept) {
    const std::string top = program.folder();
    fs::create_directories(fs::path(top) / "b_dir/inner");
    program.write("c.txt", "c");
    program.write("A.txt", "a");
    const auto copy = start(Side::Sending, {"/", top});
    couriel::FileBrowser* browser = copy->browser();
    EXPECT_EQ(copy->entries(), (std::vector<std::string>{"[..]", "b_dir", "A.txt", "c.txt"}));

    browser->setCurrentItem(copy->entry("c.txt"));
    EXPECT_EQ(copy->status(), "c.txt");
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(copy->launcher.opened, std::vector<std::string>{top + "c.txt"});

    browser->setCurrentItem(copy->entry("b_dir"));
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(copy->folder(), top + "b_dir/");
    browser->setCurrentItem(copy->entry("inner"));
    QTest::keyClick(browser, Qt::Key_Enter);
    EXPECT_EQ(copy->folder(), top + "b_dir/inner/");
    QTest::keyClick(browser, Qt::Key_Backspace);
    EXPECT_EQ(copy->folder(), top + "b_dir/");
    QTest::keyClick(browser, Qt::Key_Backslash, Qt::ControlModifier);
    EXPECT_EQ(copy->folder(), top);
    browser->goTo(top + "b_dir/inner/");
    copy->button("up")->click();
    EXPECT_EQ(copy->folder(), top + "b_dir/");
    copy->button("root")->click();
    EXPECT_EQ(copy->folder(), top);

    // Each drive returns to the folder last shown on it.
    browser->goTo(top + "b_dir/");
    auto* drives = copy->child<QComboBox>("drives");
    EXPECT_EQ(drives->currentText().toStdString(), top);
    drives->activated(0);
    EXPECT_EQ(copy->folder(), "/");
    EXPECT_NE(copy->entries().front(), "[..]");
    copy->button("up")->click();
    EXPECT_EQ(copy->folder(), "/");
    drives->activated(1);
    EXPECT_EQ(copy->folder(), top + "b_dir/");
    EXPECT_EQ(copy->child<QLineEdit>("folderEdit")->text().toStdString(), top + "b_dir/");

    // The list follows the folder on disk and keeps what was selected.
    copy->select({"inner"});
    program.write("b_dir/new.txt", "new");
    ASSERT_TRUE(waitUntil([&] { return copy->entries().size() == 3; }));
    EXPECT_TRUE(copy->entry("inner")->isSelected());
    fs::remove_all(fs::path(top) / "b_dir");
    ASSERT_TRUE(waitUntil([&] { return copy->folder() == top; }));

    // The folder typed in goes to the settings file when the window closes, for the next copy
    // to start in; one the code page cannot name is kept as the nearest one above it that it
    // can, and one that has gone leaves the browser in the program's folder.
    fs::create_directories(fs::path(top) / "sub/日本");
    auto* edit = copy->child<QLineEdit>("folderEdit");
    edit->setText(QString::fromStdString(top + "sub"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(copy->folder(), top + "sub/");
    copy->window->close();
    const common::ProfileFile settings(program.file("Interf.ini"));
    EXPECT_EQ(settings.readText("Exchange", "Dir", ""), top + "sub/");
    const auto next = start(Side::Sending);
    EXPECT_EQ(next->folder(), top + "sub/");
    next->browser()->goTo(top + "sub/日本/");
    next->window->close();
    EXPECT_EQ(settings.readText("Exchange", "Dir", ""), top + "sub/");
    settings.writeText("Exchange", "Dir", top + "gone/");
    EXPECT_EQ(start(Side::Sending)->folder(), top);
}

// Once on each side; what arrived stays under the file's own name (it came under a temporary
// one), as far as it came, and nothing else in the folder is touched.
TEST_F(ExchangeWindowTest, AWindowWhosePeerDiedInTheMiddleOfAFileShowsItAndCloses) {
    for (const Death death : {Death::Reset, Death::OrderlyClose}) {
        SCOPED_TRACE(death == Death::Reset ? "reset" : "orderly close");
        TempFolder folder;
        folder.write("old.txt", "untouched");
        // More than the socket buffers hold, so that it cannot all be handed over.
        fs::resize_file(folder.write("big.bin", ""), 64 << 20);
        program.write("Interf.ini", "[Exchange]\r\nDir=" + folder.folder() + "\r\n");

        chat.notices.clear();
        port = fakes::freePort(SOCK_STREAM);
        auto receiving = start(Side::Receiving);
        receiving->button("ready")->click();
        const std::string part = patternBytes(123457);
        RawPeer sender;
        ASSERT_TRUE(sender.connect(port));
        sender.write("FILE\r300000\rsub\\big.bin\r");
        ASSERT_TRUE(waitUntil([&] {
            sender.drain();
            return !sender.received.empty();
        }));
        sender.write(part);
        const fs::path sub = fs::path(folder.folder()) / "sub";
        // It comes under a temporary name, made with the folder.
        ASSERT_TRUE(waitUntil([&] {
            return fs::exists(sub) && fs::file_size(*fs::directory_iterator(sub)) == part.size();
        }));
        sender.die(death);
        expectBrokenAndCloseCleanly(receiving, death);
        EXPECT_EQ(filesBelow(sub), (std::map<std::string, std::string>{{"big.bin", part}}));
        EXPECT_EQ(TempFolder::read(folder.file("old.txt")), "untouched");

        chat.notices.clear();
        RawReceiver receiver;
        port = receiver.peer.listen();
        auto sending = start(Side::Sending);
        chat.sendAddress(sending->link.ownWindow(), {127, 0, 0, 1});
        sending->select({"big.bin"});
        sending->button("send")->click();
        ASSERT_TRUE(waitUntil([&] {
            receiver.poll();
            return receiver.peer.received.size() > 100000;
        }));
        receiver.peer.die(death);
        expectBrokenAndCloseCleanly(sending, death);
    }
}

TEST(CommandLine, SideAndChatWindowFromTheArguments) {
    const std::vector<std::tuple<std::vector<std::string>, Side, std::uint16_t>> cases{
        {{}, Side::None, 0},
        {{"wait", "4711"}, Side::Receiving, 4711},
        {{"4711"}, Side::Sending, 4711},
        {{"wait"}, Side::Receiving, 0},
        // "wait" is compared with its case, so the capitalised form sends, to no window.
        {{"WAIT", "4711"}, Side::Sending, 0},
        // Only the low 16 bits of a window number count.
        {{"65536"}, Side::Sending, 0},
        {{"wait", "65537"}, Side::Receiving, 1},
        {{"wait", "4294967297"}, Side::Receiving, 1},
        {{"-1"}, Side::Sending, 65535},
        {{"+12"}, Side::Sending, 12},
        // Garbage gives the digits before it, or 0; further arguments are ignored.
        {{"12abc"}, Side::Sending, 12},
        {{"wait", "x7"}, Side::Receiving, 0},
        {{"", "7"}, Side::Sending, 0},
        {{"99", "wait", "7"}, Side::Sending, 99},
        {{"wait", "99999999999999999999999"}, Side::Receiving, 0xFFFF},
    };
    for (const auto& [arguments, side, chatWindow] : cases) {
        const couriel::CommandLine line = couriel::parseCommandLine(arguments);
        EXPECT_EQ(std::tuple(line.side, line.chatWindow), std::tuple(side, chatWindow))
            << testing::PrintToString(arguments);
    }
}

// The program as the chat starts it, in a process of its own, reporting to the test's endpoint;
// a logout's SIGTERM closes it as its window would, so the chat hears that it is over.
TEST(CourielProcess, AReceivingCopyReportsToTheChatAndClosesOnSigterm) {
    fakes::qtApplication();
    TempFolder messages;
    // A runtime folder must be the user's alone.
    fs::permissions(messages.folder(), fs::perms::owner_all);
    ChatEnd chat(messages.folder());

    QProcess couriel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                       QString::fromStdString(messages.folder()));
    couriel.setProcessEnvironment(environment);
    couriel.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Above 65535 only the low 16 bits count.
    const int window = chat.number() + 3 * 65536;
    // A copy of its own: the program keeps its Interf.ini beside the executable.
    TempFolder program;
    fs::copy_file(NATTERBY_PROGRAM_DIR "/couriel", program.file("couriel"));
    couriel.start(QString::fromStdString(program.file("couriel")),
                  {QStringLiteral("wait"), QString::number(window)});
    ASSERT_TRUE(couriel.waitForStarted());

    ASSERT_TRUE(waitUntil([&] { return !chat.notices.empty(); }));
    EXPECT_EQ(chat.notices.front().first, couriel::kNoticeStarted);
    EXPECT_GT(chat.notices.front().second, 0);
    EXPECT_NE(chat.notices.front().second, chat.number());
    couriel.terminate();
    EXPECT_TRUE(waitUntil([&] { return chat.notices.back().first == couriel::kNoticeOver; }));
    couriel.waitForFinished(); // it may have ended while the notice was handled
    EXPECT_EQ(couriel.state(), QProcess::NotRunning);
    EXPECT_EQ(couriel.exitStatus(), QProcess::NormalExit);
}

TEST(Folders, TheSettingsFileGetsAFolderTheCodePageCanName) {
    const common::CodePage cp1251("CP1251");
    EXPECT_EQ(couriel::storedFolder("/home/Юля/", cp1251), "/home/\xdE\xeb\xff/");
    EXPECT_EQ(couriel::storedFolder("/日本/", cp1251), "/");
    EXPECT_EQ(couriel::asFolder("/a/./b/../c"), "/a/c/");
    EXPECT_EQ(couriel::asFolder("/../x//"), "/x/");
    EXPECT_EQ(couriel::driveOf("/media/usbstick/", {"/", "/media/usb/"}), "/");
}

} // namespace
