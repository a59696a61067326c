/*
 * The chat's messages on the wire.
 *
 * Every message is one broadcast datagram:
 *
 *   offset 0    class letter: 'T' chat messages, 'Y' file-offer handshake (R, S, T)
 *   offset 1    nine random characters (32..126) that identify the packet
 *   offset 10   the body, scrambled (natterby/transport/framing.h)
 *
 * The body starts with the message code, one character, or two for H, J and P (a sub-code),
 * followed directly by the fields. There are no length fields and no terminator of the whole:
 *
 *   text field       the text's bytes in the ANSI code page, then one zero byte
 *   character field  exactly one byte
 *
 * Class 'T' (t = text field, c = character field):
 *
 *   0   t requester                              refresh request
 *   1   t requester, t answerer, c status, c visibility            refresh answer
 *   2   t channel, t sender, t text              chat line
 *   3   t old nick, t new nick, c gender         rename
 *   4   t nick, t channel, c status, c gender    join
 *   5   t nick, t channel, c gender              leave
 *   6   t sender, t recipient, t text            private message
 *   7   c status, t confirming nick, t sender of the 6 or E, c gender, t auto-answer
 *                                                confirmation
 *   8   t sender, t target, t command, t password                  remote execute
 *   9   t requester, t executor, t "" (so the body ends in two zero bytes)
 *                                                remote execute confirmation
 *   A   t channel, t sender, t text              action line (/me)
 *   B   t channel, t topic                       topic change
 *   C   t joiner, t channel, t topic             topic answer
 *   D   t nick, c status, c gender, t auto-answer                  status change
 *   E   t sender, t recipient, t text            mass message
 *   F   t target, t requester                    information request
 *   G   t requester, t answerer, t computer name, t user name, t address,
 *       t channel list, t auto-answer            information answer
 *   H0  t target, t caller                       sound call
 *   H1  t caller, t answerer, c gender           sound call answer
 *   I   t sender, t "1.wav", t channel           sound call to a channel
 *   J0  t inviting, t invited, c gender          talk invitation
 *   J1  t leaving, t partner, c gender           talk end
 *   J2  t sender, t partner, t text              talk line
 *   J3  t sender, t partner, t text              talk action (/me)
 *   K   t requester, t channel, t member, c visibility             channel member answer
 *   L   t requester, t channel                   channel member request
 *   M   t nick, c visibility                     window shown or hidden
 *   N   t requester                              channel list request
 *   O   t requester, t channel list              channel list answer
 *   P0  t target, t requester, t token           presence probe
 *   P1  t requester, t answerer, t token         probe answer
 *
 * Class 'Y':
 *
 *   R   t recipient, t sender                    file offer
 *   S   t offering, t answering, c answer ('1' accepted, '0' refused or busy)
 *   T   t offering, t answering, t address (dotted IPv4)          receiver's address
 *
 * Characters: status '0' Available, '1' DND, '2' Away, '3' Offline; gender '0' for the "He"
 * wording, anything else for "She"; visibility '1' main window shown, '0' hidden. A channel is
 * "#" and its name; a channel list is the names run together, each with its "#", and one more
 * "#" at the end ("#Main#"). Nicks compare byte for byte.
 *
 * Reading (FieldReader): a text field runs to the next zero byte and the position moves past
 * it; a text that runs to the datagram's end without one ends there, and the position stays, so
 * every later text field reads the same bytes again. A character field is the byte at the
 * position; a datagram that ends before it is dropped.
 */
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace natterby::protocol {

// Builders return the body for Framing::send: class 'T' unless the name says otherwise. A text
// can hold no zero byte on the wire; one that does is cut there, or it would shift every field
// after it.
std::string refreshRequest(std::string_view requester);
std::string refreshAnswer(std::string_view requester, std::string_view answerer, char status,
                          char visibility);
std::string chatLine(std::string_view channel, std::string_view sender, std::string_view text);
std::string renameNick(std::string_view oldNick, std::string_view newNick, char gender);
std::string join(std::string_view nick, std::string_view channel, char status, char gender);
std::string leave(std::string_view nick, std::string_view channel, char gender);
std::string privateMessage(std::string_view sender, std::string_view recipient,
                           std::string_view text);
std::string confirmation(char status, std::string_view confirmingNick,
                         std::string_view messageSender, char gender, std::string_view autoAnswer);
std::string remoteExecute(std::string_view sender, std::string_view target,
                          std::string_view command, std::string_view password);
std::string remoteExecuteConfirmation(std::string_view requester, std::string_view executor);
std::string actionLine(std::string_view channel, std::string_view sender, std::string_view text);
std::string topicChange(std::string_view channel, std::string_view topic);
std::string topicAnswer(std::string_view joiner, std::string_view channel, std::string_view topic);
std::string statusChange(std::string_view nick, char status, char gender,
                         std::string_view autoAnswer);
std::string massMessage(std::string_view sender, std::string_view recipient, std::string_view text);
std::string informationRequest(std::string_view target, std::string_view requester);
std::string informationAnswer(std::string_view requester, std::string_view answerer,
                              std::string_view computerName, std::string_view userName,
                              std::string_view address, std::string_view channelList,
                              std::string_view autoAnswer);
std::string soundCall(std::string_view target, std::string_view caller);
std::string soundCallAnswer(std::string_view caller, std::string_view answerer, char gender);
std::string channelSoundCall(std::string_view sender, std::string_view channel);
std::string talkInvitation(std::string_view inviting, std::string_view invited, char gender);
std::string talkEnd(std::string_view leaving, std::string_view partner, char gender);
std::string talkLine(std::string_view sender, std::string_view partner, std::string_view text);
std::string talkAction(std::string_view sender, std::string_view partner, std::string_view text);
std::string memberAnswer(std::string_view requester, std::string_view channel,
                         std::string_view member, char visibility);
std::string memberRequest(std::string_view requester, std::string_view channel);
std::string windowVisibility(std::string_view nick, char visibility);
std::string channelListRequest(std::string_view requester);
std::string channelListAnswer(std::string_view requester, std::string_view channelList);
std::string probe(std::string_view target, std::string_view requester, std::string_view token);
std::string probeAnswer(std::string_view requester, std::string_view answerer,
                        std::string_view token);
// Class 'Y'.
std::string fileOffer(std::string_view recipient, std::string_view sender);
std::string fileOfferAnswer(std::string_view offering, std::string_view answering, char answer);
std::string receiverAddress(std::string_view offering, std::string_view answering,
                            std::string_view address);

// Reads the fields of a received datagram (header included), never past its end.
class FieldReader {
public:
    FieldReader(std::span<const char> datagram, std::size_t position)
        : datagram_(datagram.data(), datagram.size()), position_(position) {}

    // Never fails: a missing text is empty.
    std::string_view text();
    // Nothing when the datagram ends before the position; the message is then dropped.
    std::optional<char> character();
    std::size_t position() const { return position_; }

private:
    std::string_view datagram_;
    std::size_t position_;
};

// The field layout of one message kind: 't' a text field, 'c' a character field, in wire order.
struct MessageLayout {
    char messageClass;
    std::string_view code;
    std::string_view fields;
};

// Every kind above, in the order listed.
std::span<const MessageLayout> messageLayouts();

} // namespace natterby::protocol
