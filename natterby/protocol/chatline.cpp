#include "natterby/protocol/chat.h"

namespace natterby::protocol {

namespace {

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

// The commands are recognised by a case-sensitive prefix, so "/mew" is the action "w". The
// three prefixes differ in their second character: at most one of them matches.
bool Chat::enterLine(const std::string& line) {
    if (line.empty()) {
        return false;
    }
    history_.push_back(line);
    historyCursor_ = history_.size() - 1;
    const std::string target = tabs_[static_cast<std::size_t>(current_)].name;
    const bool onChannel = tabs_[static_cast<std::size_t>(current_)].isChannel();
    const std::string_view typed = line;
    if (line.starts_with("/nick")) {
        const std::string nick(trimBlanks(typed.substr(5)));
        if (!nick.empty()) {
            // On a talk tab the line goes to the partner, under the nick the partner knows. The
            // rename is announced there too, or the others would go on addressing the old nick
            // and lose what they send to it; it goes last, because only the packet sent last is
            // known for an own one when it comes back, and an unknown rename to the own nick
            // counts as a clash.
            if (!onChannel) {
                sendTalkLine(target, line);
            }
            sendRename(identity_.nick, nick);
            takeNick(nick);
            return true;
        }
    }
    if (!onChannel) {
        if (line.starts_with("/me")) {
            write(current_, kActionFont,
                  "\r" + stamp() + identity_.nick + " " + std::string(typed.substr(3)));
            send(talkAction(identity_.nick, target, typed.substr(3)));
        } else {
            sendTalkLine(target, line);
        }
    } else if (line.starts_with("/me")) {
        send(actionLine(target, identity_.nick, typed.substr(3)));
    } else if (line.starts_with("/topic")) {
        send(topicChange(target, line.substr(6) + " (" + identity_.nick + ") "));
    } else {
        send(chatLine(target, identity_.nick, line));
    }
    return true;
}

// A talk line is addressed to the partner, so the own copy drops it when it comes back: the
// echo is where the user sees it.
void Chat::sendTalkLine(const std::string& partner, std::string_view text) {
    write(current_, kOwnFont, "\r" + stamp() + "<" + identity_.nick + ">: " + std::string(text));
    send(talkLine(identity_.nick, partner, text));
}

// The cursor may stand one past the last entry, which shows as an empty line.
std::string Chat::historyUp() {
    std::string shown = historyCursor_ < history_.size() ? history_[historyCursor_] : "";
    if (historyCursor_ > 0) {
        --historyCursor_;
    }
    return shown;
}

std::string Chat::historyDown() {
    std::string shown = historyCursor_ < history_.size() ? history_[historyCursor_] : "";
    if (historyCursor_ < history_.size()) {
        ++historyCursor_;
    }
    return shown;
}

// Lines are separated by CR LF, CR or LF (clipboards on Linux hold LF alone); an empty line
// is sent as an empty chat line, but a break at the very start or end of the text begins or
// ends no line of its own.
void Chat::sendClipboardLines(std::string_view text) {
    const std::string target = tabs_[static_cast<std::size_t>(current_)].name;
    const bool onChannel = tabs_[static_cast<std::size_t>(current_)].isChannel();
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const bool last = end == std::string_view::npos;
        const std::string_view piece = text.substr(start, last ? text.npos : end - start);
        if (!piece.empty() || (!first && !last)) {
            // On a talk tab a chat line would name the partner as its channel: the partner
            // drops it, and anybody else talking with the partner would show it.
            if (onChannel) {
                send(chatLine(target, identity_.nick, piece));
            } else {
                sendTalkLine(target, piece);
            }
        }
        if (last) {
            return;
        }
        const bool crLf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
}

} // namespace natterby::protocol
