#include "natterby/session/session.h"

#include "natterby/protocol/autoanswers.h"

namespace natterby::session {

namespace {

constexpr int kTickMilliseconds = 500;

} // namespace

Session::Session(protocol::ChatView& view, StartupView& window, SessionSeams seams)
    : view_(view), window_(window), seams_(std::move(seams)),
      ownNetwork_(seams_.transports != nullptr ? nullptr : makeOwnNetwork()),
      transports_(seams_.transports != nullptr ? *seams_.transports : *ownNetwork_),
      framing_(transports_, [this] { return seams_.random(95); }), couriel_(seams_.messageFolder) {
    couriel_.onNotice([this](int code, int value) {
        if (chat_) {
            chat_->courielNotice(code, value);
        }
    });
    // Started with the window, before the start-up steps; the first tick comes after them.
    tick_.setInterval(kTickMilliseconds);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
        if (chat_) {
            chat_->tick();
        }
    });
    tick_.start();
}

Session::~Session() = default;

std::unique_ptr<NetworkLink> Session::makeOwnNetwork() {
    return std::make_unique<NetworkLink>(NetworkLink::Handlers{
        [this](std::span<char> datagram, protocol::Origin origin) { receive(datagram, origin); },
        // Hearing IPX again is how sending resumes after a failed IPX send.
        [this] { framing_.setNetworking(true); },
        [this](std::string_view text) { view_.showMessage(std::string(text)); },
    });
}

void Session::start() {
    settings::Settings& settings = seams_.settings;
    settings::loadSettings(settings, seams_.settingsFile, seams_.programFolder, *this);
    framing_.setIpxTransport(settings.net.ipx);
    framing_.setNetworking(settings.net.net);

    chat_.emplace(view_, protocol::ChatSeams{framing_, settings, seams_.settingsFile, seams_.texts,
                                             seams_.sound, seams_.launcher, seams_.host,
                                             seams_.clock, seams_.random, couriel_, seams_.codePage,
                                             seams_.programFolder, seams_.packageFolder});
    chat_->setOwnWindow(couriel_.number());
    window_.settingsLoaded();
    for (const std::string& channel : pendingJoins_) {
        chat_->joinAtStart(channel);
    }
    pendingJoins_.clear();
    chat_->setAutoAnswer(protocol::loadAutoAnswers(
                             protocol::autoAnswerFile(seams_.settingsFile, seams_.programFolder))
                             .current);
    chat_->finishStartup();
}

void Session::close() {
    // Whichever way the program is closed, and however often, each tab is left once.
    if (closed_) {
        return;
    }
    closed_ = true;
    tick_.stop();
    if (chat_) {
        chat_->sendLeaves();
    }
    transports_.close();
}

void Session::receive(std::span<char> datagram, protocol::Origin origin) {
    // A message box of the start-up load runs the event loop before the core exists; what
    // arrives then finds nobody to handle it.
    if (chat_) {
        chat_->receive(datagram, origin);
    }
}

// --- settings::StartupHost

std::string Session::computerName() {
    return seams_.host.computerName();
}

settings::Bounds Session::windowBounds() {
    return window_.windowBounds();
}

settings::FontStyle Session::mainFont() {
    return window_.mainFont();
}

std::optional<std::string> Session::openIpx(std::uint16_t socket) {
    return transports_.openIpx(socket);
}

void Session::openUdp(std::int32_t port, const std::string& address) {
    transports_.openUdp(port, address);
}

void Session::showMessage(const std::string& text) {
    view_.showMessage(text);
}

void Session::applyLanguage(const std::string& languageFile) {
    language_ = common::LanguageTexts(languageFile);
    seams_.texts = protocol::ChatTexts(language_);
    window_.languageChanged();
}

void Session::addToChannelMenu(const std::string& channel) {
    window_.addToChannelMenu(channel);
}

void Session::joinChannel(const std::string& channel) {
    pendingJoins_.push_back(channel);
}

} // namespace natterby::session
