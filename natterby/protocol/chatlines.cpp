// The received messages that write lines: chat and action lines, private and mass messages with
// their confirmations, remote execution, sound calls, and the probe.
#include "natterby/archive/archivefile.h"
#include "natterby/protocol/chat.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace natterby::protocol {

namespace {

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (std::string_view piece : pieces) {
        size += piece.size();
    }
    std::string result;
    result.reserve(size);
    for (std::string_view piece : pieces) {
        result.append(piece);
    }
    return result;
}

} // namespace

std::optional<Chat::ChannelLine> Chat::readChannelLine(FieldReader& fields) {
    const std::string_view channel = fields.text();
    const int tab = findTab(channel);
    if (tab < 0) {
        return std::nullopt;
    }
    const std::string_view sender = fields.text();
    const std::string_view text = fields.text();
    // "/me" is a channel line like any other: an ignored nick must not get through with it.
    if (common::ignoreListHas(seams_.settings.ignore.channels, sender, seams_.codePage)) {
        return std::nullopt;
    }
    return ChannelLine{tab, channel, sender, text};
}

void Chat::onChatLine(FieldReader& fields) {
    const std::optional<ChannelLine> line = readChannelLine(fields);
    if (!line) {
        return;
    }
    const auto [tab, channel, sender, text] = *line;
    if (isLogged(channel)) {
        logLine(channel, joined({"[", logStamp(), "] <", sender, "> ", text}));
    }
    std::string shown(sender);
    if (seams_.settings.view.compVis) {
        if (const auto computer = computerNameOf(sender)) {
            shown += "(" + *computer + ")";
        }
    }
    write(tab, isOwnPacket() ? kOwnFont : kExternalFont,
          joined({"\r", stamp(), "<", shown, ">: ", text}));
    seams_.sound.play(settings::kChatLineSlot, settings::kChatLineTone);
    drawAttention(tabs_[static_cast<std::size_t>(tab)].name, sender, text);
    markUnread(tab);
    recordMember(channel, sender);
    // Someone who is Available wants to see the chat as it happens.
    if (windowHidden() && identity_.status == '0') {
        restore();
    }
}

void Chat::onActionLine(FieldReader& fields) {
    const std::optional<ChannelLine> line = readChannelLine(fields);
    if (!line) {
        return;
    }
    const auto [tab, channel, sender, text] = *line;
    write(tab, kActionFont, joined({"\r", stamp(), sender, " ", text}));
    markUnread(tab);
    recordMember(channel, sender);
}

void Chat::onPrivateMessage(FieldReader& fields, bool mass) {
    const std::string_view sender = fields.text();
    if (!isOwnNick(fields.text())) {
        return;
    }
    if (!mass && common::ignoreListHas(seams_.settings.ignore.message, sender, seams_.codePage)) {
        return;
    }
    // Confirmed even while Offline: the 7 tells the sender that nobody will read it.
    send(confirmation(identity_.status, identity_.nick, sender, identity_.gender,
                      identity_.autoAnswer));
    if (identity_.status == '3') {
        return;
    }
    const common::PlaceholderParts notice =
        common::splitAtPlaceholder(seams_.texts.get("SysMes", "MesRecMe"));
    write(0, kConfirmationFont,
          joined({"\r", stamp(), notice.before, " <", sender, ">", notice.after}));
    const std::string text(fields.text());
    // An archive that cannot be written loses only its record: the message is still shown.
    if (seams_.settings.view.arhive) {
        appendArchive(archive::kArchiveReceived, sender, text);
    }
    view_.openReceivedMessage(mass ? "<=" : "<-", std::string(sender), text,
                              identity_.status != '2');
    seams_.sound.play(settings::kMessageSlot, settings::kMessageTone);
}

void Chat::onConfirmation(char status, FieldReader& fields) {
    const std::string_view confirming = fields.text();
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::optional<char> gender = fields.character();
    if (!gender) {
        return;
    }
    const std::string_view autoAnswer = fields.text();
    if (status == '3') {
        write(0, kAutoAnswerFont,
              joined({"\r", stamp(), " ", confirming, " ", seams_.texts.get("SysMes", "Offline")}));
    } else {
        const common::PlaceholderParts put =
            common::splitAtPlaceholder(seams_.texts.gendered("PutMes", *gender));
        write(0, kAutoAnswerFont,
              joined({"\r", stamp(), " ", confirming, " ", put.before, " \"",
                      seams_.texts.statusName(status), "\" ", put.after, " (", autoAnswer, ")"}));
    }
    seams_.sound.play(settings::kConfirmationSlot, settings::kConfirmationTone);
}

void Chat::onRemoteExecute(FieldReader& fields) {
    const std::string_view sender = fields.text();
    if (!isOwnNick(fields.text()) || !seams_.settings.execute.razresh) {
        return;
    }
    const std::string_view command = fields.text();
    const std::string_view password = fields.text();
    // A wrong password gets no answer at all, so that guessing teaches nothing.
    if (password != seams_.settings.execute.password) {
        return;
    }
    write(0, kConfirmationFont,
          joined({"\r", stamp(), " ", sender, " ", seams_.texts.get("SysMes", "Execute"), " ",
                  command}));
    // The command is one target for the desktop's default action, never a shell line: text
    // from the network must not be able to chain or redirect anything.
    if (!command.empty()) {
        seams_.launcher.openWithDefaultAction(seams_.codePage.toUtf8(command));
    }
    send(remoteExecuteConfirmation(sender, identity_.nick));
}

void Chat::onRemoteExecuteDone(FieldReader& fields) {
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::string_view executor = fields.text();
    write(0, kConfirmationFont,
          joined({"\r", stamp(), " ", executor, " ", seams_.texts.get("SysMes", "Execute")}));
}

void Chat::onSoundCall(char subCode, FieldReader& fields) {
    if (subCode == '0') {
        if (!isOwnNick(fields.text())) {
            return;
        }
        const std::string_view caller = fields.text();
        write(current_, kSystemFont,
              joined({"\r", stamp(), caller, " ", seams_.texts.get("SysMes", "BeepPosl")}));
        // The answer goes out only once the call has been heard.
        seams_.sound.play(settings::kBeepSlot, settings::kPersonalCallTone);
        send(soundCallAnswer(caller, identity_.nick, identity_.gender));
        return;
    }
    if (!isOwnNick(fields.text())) {
        return;
    }
    const std::string_view answerer = fields.text();
    const std::optional<char> gender = fields.character();
    if (!gender) {
        return;
    }
    write(current_, kSystemFont,
          joined({"\r", stamp(), answerer, " ", seams_.texts.gendered("BeepPol", *gender)}));
}

void Chat::onChannelSoundCall(FieldReader& fields) {
    const std::string_view sender = fields.text();
    fields.text(); // the sender's sound file: every copy plays its own
    const int tab = findTab(fields.text());
    if (tab < 0) {
        return;
    }
    write(tab, kSystemFont,
          joined({"\r", stamp(), sender, " ", seams_.texts.get("SysMes", "BeepPosl")}));
    seams_.sound.play(settings::kBeepSlot, settings::kChannelCallTone);
}

void Chat::onProbe(char subCode, FieldReader& fields) {
    if (subCode != '0' || !isOwnNick(fields.text())) {
        return;
    }
    const std::string_view requester = fields.text();
    const std::string_view token = fields.text();
    send(probeAnswer(requester, identity_.nick, token));
}

} // namespace natterby::protocol
