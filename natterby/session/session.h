#pragma once

#include "common/ansi.h"
#include "common/profile.h"
#include "common/texts.h"
#include "natterby/protocol/chat.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/protocol/chatview.h"
#include "natterby/session/courielendpoint.h"
#include "natterby/session/networklink.h"
#include "natterby/session/startupview.h"
#include "natterby/session/transports.h"
#include "natterby/settings/settings.h"
#include "natterby/settings/startupload.h"
#include "natterby/transport/framing.h"
#include "platform/clock.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"

#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace natterby::session {

// Everything the session works through; all of it outlives the session.
struct SessionSeams {
    // The running program's settings, filled by the start-up load.
    settings::Settings& settings;
    const common::ProfileFile& settingsFile;
    // Replaced by the language file's texts during the start-up load.
    protocol::ChatTexts& texts;
    protocol::SoundPlayer& sound;
    platform::Launcher& launcher;
    const platform::HostInfo& host;
    const platform::Clock& clock;
    // A random integer from 0 to bound - 1.
    std::function<int(int bound)> random;
    const common::CodePage& codePage;
    // This user's program folder, where the settings, language files, archive and logs are
    // kept; ends in '/'.
    std::string programFolder;
    // The folder of the executables, ending in '/'.
    std::string packageFolder;
    // Where the endpoint for the file-exchange program's notices lives; empty: no endpoint, so
    // no exchange can report back.
    std::string messageFolder;
    // A test's in-memory network; without one the session opens the program's own sockets.
    Transports* transports = nullptr;
};

// The running chat without its window: it builds and owns the transports, the framing, the
// chat core, the 500 ms tick and the link to the file-exchange program. Received datagrams and
// the exchange program's notices go straight from their sockets to the core; the window is only
// the core's view and the source of the user's commands.
class Session : private settings::StartupHost {
public:
    Session(protocol::ChatView& view, StartupView& window, SessionSeams seams);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The start-up steps: the settings load, which opens the transport and names the saved
    // channels; the core, made with the loaded nick, status and gender; the joins; then the
    // caption, the host facts and the welcome text.
    void start();
    // The close steps: the leaves go out before the transports close, or the last ones are lost.
    // Only the first call has an effect.
    void close();

    // Every received datagram comes here, its first byte 'T' or 'Y', with the IPv4 address it
    // came from (none over IPX); unscrambled in place.
    void receive(std::span<char> datagram, protocol::Origin origin = std::nullopt);

    // Whether start() has made the core.
    bool started() const { return chat_.has_value(); }
    protocol::Chat& chat() { return *chat_; }
    const protocol::Chat& chat() const { return *chat_; }
    // The language file in use: macros and auto-answers are read from it at use.
    const common::LanguageTexts& language() const { return language_; }

private:
    // The program's sockets, which hand what they receive to receive().
    std::unique_ptr<NetworkLink> makeOwnNetwork();

    // --- settings::StartupHost
    std::string computerName() override;
    settings::Bounds windowBounds() override;
    settings::FontStyle mainFont() override;
    std::optional<std::string> openIpx(std::uint16_t socket) override;
    void openUdp(std::int32_t port, const std::string& address) override;
    void showMessage(const std::string& text) override;
    void applyLanguage(const std::string& languageFile) override;
    void addToChannelMenu(const std::string& channel) override;
    void joinChannel(const std::string& channel) override;

    protocol::ChatView& view_;
    StartupView& window_;
    SessionSeams seams_;
    std::unique_ptr<NetworkLink> ownNetwork_;
    Transports& transports_;
    transport::Framing framing_;
    CourielEndpoint couriel_;
    // Made once the settings are loaded, so that it starts with the loaded nick, status and
    // gender; the saved channels wait in pendingJoins_ until then.
    std::optional<protocol::Chat> chat_;
    std::vector<std::string> pendingJoins_;
    common::LanguageTexts language_{std::string()};
    QTimer tick_;
    bool closed_ = false;
};

} // namespace natterby::session
