#pragma once

#include "couriel/program/chatlink.h"
#include "couriel/window/exchangewindow.h"
#include "couriel/window/filebrowser.h"
#include "platform/launcher.h"
#include "platform/messagechannel.h"
#include "tests/couriel/transferfakes.h"
#include "tests/fakes/qtapplication.h"
#include "tests/fakes/tempfolder.h"

#include <QPushButton>
#include <QString>
#include <QTreeWidget>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Failures show the text rather than its code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace couriel_test {

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
// notice and may answer from inside its handler, as the real one does.
class ChatEnd {
public:
    explicit ChatEnd(const std::string& folder)
        : endpoint_(platform::MessageEndpoint::create(
              [this](int code, int value) {
                  notices.emplace_back(code, value);
                  if (onNotice) {
                      onNotice(code, value);
                  }
              },
              folder)) {}

    std::uint16_t number() const { return static_cast<std::uint16_t>(endpoint_->number()); }
    // What the chat does with an address from the peer's chat: four parts, then complete.
    void sendAddress(int window, std::array<int, 4> parts) {
        for (const int part : parts) {
            endpoint_->send(window, couriel::kAddressPart, part);
        }
        endpoint_->send(window, couriel::kAddressComplete, 0);
    }

    Notices notices;
    std::function<void(int code, int value)> onNotice;

private:
    std::unique_ptr<platform::MessageEndpoint> endpoint_;
};

// One copy of the program, as its chat starts it, with its program folder.
class Copy {
public:
    Copy(const std::string& messageFolder, std::uint16_t chatWindow, couriel::Side side,
         const std::string& programFolder, std::uint16_t port,
         std::vector<std::string> drives = {"/"})
        : link(messageFolder, chatWindow) {
        fakes::qtApplication();
        window = std::make_unique<couriel::ExchangeWindow>(
            couriel::ExchangeContext{programFolder, common::CodePage("CP1251"), host, launcher,
                                     link, std::move(drives), port},
            side);
        window->show();
    }

    template <typename Widget> Widget* child(const char* name) const {
        auto* found = window->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    couriel::FileBrowser* browser() const {
        return dynamic_cast<couriel::FileBrowser*>(child<QTreeWidget>("browser"));
    }
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

} // namespace couriel_test
