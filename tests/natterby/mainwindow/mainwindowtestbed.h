#pragma once

#include "natterby/mainwindow/chatline.h"
#include "natterby/mainwindow/chatviewwidget.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/session/transports.h"
#include "natterby/transport/framing.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/sessionfakes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The network of a window under test: whatever it sends comes straight back to it, as the LAN
// brings a broadcast back to its sender; other peers' packets join the same queue.
class Loopback : public natterby::session::Transports {
public:
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        sent.emplace_back(packet);
        queue.emplace_back(packet);
        return std::nullopt;
    }
    std::optional<std::string> openIpx(std::uint16_t) override { return std::nullopt; }
    void openUdp(std::int32_t, const std::string&) override {}
    void close() override { closed = true; }

    std::vector<std::string> sent;
    std::deque<std::string> queue;
    bool closed = false;
};

// Bob's copy, reduced to its framing: his packets join the window's queue.
class OtherPeer : public natterby::transport::PacketSink {
public:
    explicit OtherPeer(Loopback& network) : network_(network) {}
    std::optional<natterby::transport::ESocketError> sendPacket(std::string_view packet) override {
        network_.queue.emplace_back(packet);
        return std::nullopt;
    }
    void says(const std::string& body) { framing_.send(body, true); }

private:
    Loopback& network_;
    std::mt19937 random_{99};
    natterby::transport::Framing framing_{*this,
                                          [this] { return static_cast<int>(random_() % 95); }};
};

// Ann's main window, started on a settings file the test writes, over a loopback network.
class MainWindowTest : public ::testing::Test, protected fakes::SessionFakes {
protected:
    MainWindowTest() { fakes::qtApplication(); }

    // The settings file's sections beyond UDP, Ann's nick and two telling colours: "Your text"
    // blue, "External text" red.
    void start(const std::string& moreSettings = {}) {
        folder.write("Interf.ini", "[Net]\r\nIPX=false\r\n[Nicks]\r\nCurrent=Ann\r\n"
                                   "[Fonts]\r\nColor4=255\r\nColor5=16711680\r\n" +
                                       moreSettings);
        window = std::make_unique<natterby::mainwindow::MainWindow>(
            natterby::mainwindow::MainWindowSeams{seams(&network), [this] { ++layoutSwitches; }});
        window->start();
        deliver();
    }

    // Every packet received, and what it wrote into the views laid out there.
    void deliver() {
        while (!network.queue.empty()) {
            std::string packet = std::move(network.queue.front());
            network.queue.pop_front();
            window->session().receive(packet);
        }
        for (int tab = 0; tab < tabs()->count(); ++tab) {
            view(tab)->flush();
        }
    }

    // The body of a sent packet, unscrambled.
    static std::string body(std::string packet) {
        Loopback nowhere;
        natterby::transport::Framing reader(nowhere, [] { return 0; });
        reader.accept(packet);
        return packet.substr(natterby::transport::Framing::kHeaderLength);
    }

    natterby::mainwindow::ChatLine* chatLine() const {
        return window->findChild<natterby::mainwindow::ChatLine*>("chatLine");
    }
    QTabWidget* tabs() const { return window->findChild<QTabWidget*>("tabs"); }
    // The window on show and active, as the user has it, with the focus in the nick box.
    QLineEdit* focusNickBox() const {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QLineEdit* box = window->findChild<QComboBox*>("nickBox")->lineEdit();
        box->setFocus();
        return box;
    }
    natterby::mainwindow::ChatViewWidget* view(int tab) const {
        return qobject_cast<natterby::mainwindow::ChatViewWidget*>(tabs()->widget(tab));
    }
    // Runs the steps on the modal dialog that `open` opens.
    static void withDialog(const std::function<void()>& open,
                           const std::function<void(QWidget* dialog)>& steps) {
        QTimer::singleShot(0, [steps] { steps(QApplication::activeModalWidget()); });
        open();
    }
    QAction* hotkey(const char* keys) const {
        for (QAction* action : window->actions()) {
            if (action->shortcut() == QKeySequence(QString::fromLatin1(keys))) {
                return action;
            }
        }
        ADD_FAILURE() << "no action for " << keys;
        return nullptr;
    }
    // Where the text shows first in the view; its char format is that of its last character.
    static QTextCursor find(const natterby::mainwindow::ChatViewWidget* view, const QString& text) {
        return view->document()->find(text);
    }

    Loopback network;
    OtherPeer bob{network};
    int layoutSwitches = 0;
    std::unique_ptr<natterby::mainwindow::MainWindow> window;
};
