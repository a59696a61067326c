#pragma once

#include "common/profile.h"
#include "natterby/settings/settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace natterby::settings {

// What the start-up load needs of the program around it: the machine's defaults, the
// transports, and the effects that must happen in the middle of the load. The session
// implements it, with the window's help for what only the widgets know.
class StartupHost {
public:
    virtual ~StartupHost() = default;

    virtual std::string computerName() = 0;
    // The main window's bounds as built, and the main chat view's font: the defaults of the
    // position and of every text style.
    virtual Bounds windowBounds() = 0;
    virtual FontStyle mainFont() = 0;

    // Opens the IPX transport on this socket number; the error's text when it cannot.
    virtual std::optional<std::string> openIpx(std::uint16_t socket) = 0;
    // Starts and opens the UDP transport; it reports its own failures.
    virtual void openUdp(std::int32_t port, const std::string& address) = 0;
    virtual void showMessage(const std::string& text) = 0;

    virtual void applyLanguage(const std::string& languageFile) = 0;
    virtual void addToChannelMenu(const std::string& channel) = 0;
    // Opens the channel's tab (for any channel but "#Main") and broadcasts the join.
    virtual void joinChannel(const std::string& channel) = 0;
};

// The start-up load: reads every setting into settings, section by section, and calls the host
// in this order: the transport (IPX only when networking is on; UDP always), the language file,
// "#Main" joined, then for each saved channel its menu entry and, when visible, its join.
// settings is the caller's own value, so that the host's joins already see the views' colours,
// the fonts and the own nick read before them. Widgets (nick box, view menu marks, position,
// tab style) are set by the caller from settings afterwards.
//
// When the IPX transport cannot be opened, the host shows "Open error:" and the error's text,
// and the load ends there: every later setting keeps its built-in value and no channel is
// joined. The built-in values include the machine's defaults (the computer name as the nick,
// the window's bounds, the main font), so the program stays usable.
void loadSettings(Settings& settings, const common::ProfileFile& file,
                  const std::string& programFolder, StartupHost& host);

} // namespace natterby::settings
