#include "natterby/protocol/chat.h"

namespace natterby::protocol {

namespace {

constexpr std::size_t kTrayTipLength = 40;

constexpr std::string_view kWelcomeParagraph =
    "Natterby is a chat for the computers of one local network, and it needs no server: every "
    "copy talks to all the others directly. Type a line below and press Enter to say it in the "
    "channel of the current tab, or open a talk with somebody from the nick list. Start a line "
    "with /me to describe what you do, with /nick to take another nick, or with /topic to give "
    "the channel a new topic. The nick list's menu also sends private messages, sound calls and "
    "files, which Couriel carries from computer to computer. Closing the window only hides it in "
    "the tray, where the chat goes on listening.";

} // namespace

void Chat::finishStartup() {
    // The first title has no topic between its blanks, unlike the later ones.
    const std::string title =
        "[" + tabs_[static_cast<std::size_t>(current_)].name + "] - " + seams_.texts.programTitle();
    view_.captionChanged(title);
    view_.trayTipChanged(title.substr(0, kTrayTipLength));
    // The own nick is the nick box's as the settings load left it.
    identity_.nick = seams_.settings.nicks.current;
    view_.trayIconChanged(seams_.settings.icon.normal);
    if (!seams_.settings.net.net) {
        return;
    }
    const std::vector<std::string> addresses = seams_.host.addresses();
    identity_.address = addresses.empty() ? std::string() : addresses.front();
    identity_.computerName = seams_.host.computerName();
    identity_.userName = seams_.host.userName();
    // Written after the welcome line of "#Main", in the font that line left selected.
    write(0, kWelcomeFont, "\r" + stamp() + std::string(kWelcomeParagraph));
}

} // namespace natterby::protocol
