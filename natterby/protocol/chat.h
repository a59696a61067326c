#pragma once

#include "common/ansi.h"
#include "common/profile.h"
#include "natterby/protocol/channels.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/protocol/chatview.h"
#include "natterby/protocol/messages.h"
#include "natterby/protocol/roster.h"
#include "natterby/settings/settings.h"
#include "natterby/settings/sounds.h"
#include "natterby/transport/framing.h"
#include "platform/clock.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

inline constexpr std::string_view kMainChannel = "#Main";

// Window messages between the chat and the file-exchange program.
inline constexpr int kCourielListening = 221;
inline constexpr int kCourielFinished = 222;
inline constexpr int kCourielAddressPart = 223;
inline constexpr int kCourielAddressComplete = 224;
inline constexpr int kCourielStarted = 225;

// Plays the sound of an event; returns when it has ended.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(int slot, settings::Tone tone) = 0;
};

// Sends a window message to the file-exchange program's window; returns when it was handled.
class CourielLink {
public:
    virtual ~CourielLink() = default;
    virtual void send(int window, int code, int value) = 0;
};

// Everything the core works through besides its view; all of it outlives the core.
struct ChatSeams {
    transport::Framing& framing;
    // The running program's settings; the core reads them at every use, so changes made by the
    // options dialog or the view menu take effect at once.
    settings::Settings& settings;
    const common::ProfileFile& settingsFile;
    const ChatTexts& texts;
    SoundPlayer& sound;
    platform::Launcher& launcher;
    const platform::HostInfo& host;
    const platform::Clock& clock;
    // A random integer from 0 to bound - 1.
    std::function<int(int bound)> random;
    CourielLink& couriel;
    // File names built from texts (channel logs, commands) go through it to the file system.
    const common::CodePage& codePage;
    // This user's program folder, ending in '/': Message.txt.
    std::string programFolder;
    // The folder of the executables, ending in '/': the file-exchange program.
    std::string packageFolder;
};

struct Tab {
    std::string name; // "#" + channel, or the talk partner's nick
    bool unread = false;
    bool isChannel() const { return !name.empty() && name.front() == '#'; }
};

struct Identity {
    std::string nick;
    char status = '0';     // '0' Available, '1' DND, '2' Away, '3' Offline
    char gender = '0';     // '0' He texts, anything else She texts
    char visibility = '0'; // '1' while the main window is shown
    std::string autoAnswer;
    // Found at start when networking is on; "none" otherwise.
    std::string computerName = "none";
    std::string userName = "none";
    std::string address = "none";
};

// Unseen lines while the main window is hidden: a flashing tray icon or a balloon.
struct Attention {
    bool flashing = false;
    bool flashPhase = false; // set: the normal icon is shown next
    bool balloonUp = false;
    int pauseCounter = 0; // ticks since a balloon went up
};

// Where a datagram came from: its IPv4 address in host byte order; none over IPX.
using Origin = std::optional<std::uint32_t>;

// An offer of files this chat made and nobody has answered yet.
struct PendingOffer {
    std::string nick;
    int ticks = 0; // the 500 ms ticks since it went out
};

// An offer nobody answers lapses after ten minutes, and a new one to that nick can be made.
inline constexpr int kOfferLapseTicks = 10 * 60 * 2;

struct Transfer {
    bool running = false;  // a file-exchange program started by this chat runs
    std::string partner;   // on the accepting side, the offering nick
    int courielWindow = 0; // the window the file-exchange program reported last
    // On the accepting side, where the offer came from.
    Origin offerOrigin;
    // On the offering side: the offers awaiting an answer, and the accepting nick whose
    // address the running program still waits for.
    std::vector<PendingOffer> offers;
    std::string addressFrom;
};

// The chat itself, without a window: own identity, tabs, channels, roster, the handling of
// every received message and every user command. It is driven from outside (datagrams, user
// commands, the 500 ms tick, the file-exchange program's notices), is called and returns, and
// acts only through its view and its seams.
class Chat {
public:
    Chat(ChatView& view, ChatSeams seams);

    // --- start-up and close
    // The join steps at start: "#Main" on the first tab, any other channel on a new tab that
    // does not become current.
    void joinAtStart(const std::string& channel);
    // After the settings load: caption, tray tip and icon; with networking on, the host facts
    // and the welcome paragraph in "#Main".
    void finishStartup();
    // Leaves every open tab, the last first (talks included, with the partner as channel).
    void sendLeaves();

    // --- network and timer
    // One datagram whose first byte is 'T' or 'Y', header included. Unscrambled in place.
    void receive(std::span<char> datagram, Origin origin = std::nullopt);
    // Every 500 ms: the refresh timer and the tray flashing.
    void tick();

    // --- roster and presence
    void refresh();
    // Enter in the nick box: a changed, non-empty nick is announced and taken; an empty box gets
    // the own nick back (ownNickChanged).
    void renameFromNickBox(const std::string& text);
    // A status entry takes effect at once, before its auto-answer is chosen: a message that
    // arrives while the user chooses is confirmed (or, Offline, not shown) under the new status.
    void setStatus(char status);
    // After the auto-answer dialog: the chosen text, or nothing on Cancel; D goes out.
    void announceStatus(std::optional<std::string> autoAnswer);
    void windowShown(bool shown);
    void requestInformation(const std::string& nick);

    // --- channels, topics, talks
    // The channels menu: select the channel's tab, or open and join it.
    void joinChannel(const std::string& channel);
    void leaveCurrentTab();
    // The user selected another tab.
    void selectTab(int tab);
    // The topic dialog's OK (an empty text sends an empty topic).
    void changeTopic(const std::string& text);
    // The topic the topic dialog starts with.
    std::string currentTopic() const;
    void requestChannelMembers();
    void talk(const std::string& nick);
    // The options dialog asks every copy for its channels.
    void requestChannelList();

    // --- chat line
    // Enter in the chat line; returns false for an empty line, which sends nothing.
    bool enterLine(const std::string& line);
    // The text the chat line shows after Up or Down.
    std::string historyUp();
    std::string historyDown();
    // Sends every line of the clipboard's text as a chat line.
    void sendClipboardLines(std::string_view text);

    // --- messages, calls, execution, files
    // Send in a private message window: archived when the archive is on, then sent.
    void sendPrivateMessage(const std::string& nick, const std::string& text);
    void sendMassMessage(const std::vector<std::string>& nicks, const std::string& text);
    void remoteExecute(const std::string& nick, const std::string& command,
                       const std::string& password);
    // With a nick, a call to that user; without, to the current tab's channel.
    void soundCall(const std::optional<std::string>& nick);
    void offerFiles(const std::string& nick);
    // A window message from the file-exchange program (221, 222 or 225).
    void courielNotice(int code, int value);
    // The options dialog changed the own gender: it travels with the next messages.
    void setGender(char gender) { identity_.gender = gender; }
    // The auto-answer in force at start (the language file's current one).
    void setAutoAnswer(std::string text) { identity_.autoAnswer = std::move(text); }
    // The handle the chat passes on the file-exchange program's command line.
    void setOwnWindow(int window) { ownWindow_ = window; }

    // --- tray
    // Flashing off, the balloon's pause over, the normal icon: the user has looked.
    void endAttention();
    // The window back in its normal state, after endAttention.
    void restore();

    // --- state, for the view
    const Identity& identity() const { return identity_; }
    const std::vector<Tab>& tabs() const { return tabs_; }
    const Roster& roster() const { return roster_; }
    const ChannelTable& channels() const { return channels_; }
    const Attention& attention() const { return attention_; }
    const Transfer& transfer() const { return transfer_; }
    int refreshCounter() const { return refreshCounter_; }
    int refreshOffset() const { return refreshOffset_; }
    // "[" tab "] " topic " - " title.
    std::string caption() const;
    // The line a cleared view starts with: time stamp and "Window cleared".
    std::string clearedLine() const;
    // The computer name an information answer gave for the nick, if any.
    std::optional<std::string> computerNameOf(std::string_view nick) const;

private:
    // --- dispatch, one handler per code; fields read from the position after the code.
    void dispatchChat(std::span<const char> datagram, char code);
    void dispatchFileOffer(std::span<const char> datagram, char code, Origin origin);
    void onRefreshRequest(FieldReader& fields);            // 0
    void onRefreshAnswer(FieldReader& fields);             // 1
    void onChatLine(FieldReader& fields);                  // 2
    void onRename(FieldReader& fields);                    // 3
    void onJoin(FieldReader& fields);                      // 4
    void onLeave(FieldReader& fields);                     // 5
    void onPrivateMessage(FieldReader& fields, bool mass); // 6, E
    void onConfirmation(char status, FieldReader& fields); // 7
    void onRemoteExecute(FieldReader& fields);             // 8
    void onRemoteExecuteDone(FieldReader& fields);         // 9
    void onActionLine(FieldReader& fields);                // A
    void onTopic(FieldReader& fields);                     // B
    void onTopicAnswer(FieldReader& fields);               // C
    void onStatusChange(FieldReader& fields);              // D
    void onInformationRequest(FieldReader& fields);        // F
    void onInformationAnswer(FieldReader& fields);         // G
    void onSoundCall(char subCode, FieldReader& fields);   // H
    void onChannelSoundCall(FieldReader& fields);          // I
    void onTalk(char subCode, FieldReader& fields);        // J
    void onMemberAnswer(FieldReader& fields);              // K
    void onMemberRequest(FieldReader& fields);             // L
    void onWindowVisibility(FieldReader& fields);          // M
    void onChannelListRequest(FieldReader& fields);        // N
    void onChannelListAnswer(FieldReader& fields);         // O
    void onProbe(char subCode, FieldReader& fields);       // P
    void onFileOffer(FieldReader& fields, Origin origin);  // Y R
    void onFileOfferAnswer(FieldReader& fields);           // Y S
    void onReceiverAddress(FieldReader& fields);           // Y T

    // --- shared steps
    // A chat or action line for an open channel from a nick not on the channel ignore list.
    struct ChannelLine {
        int tab;
        std::string_view channel;
        std::string_view sender;
        std::string_view text;
    };
    std::optional<ChannelLine> readChannelLine(FieldReader& fields);
    void send(const std::string& body) { seams_.framing.send(body, true); }
    void sendFileOffer(const std::string& body) { seams_.framing.send(body, false); }
    bool isOwnPacket() const { return seams_.framing.isOwnPacket(); }
    bool isOwnNick(std::string_view nick) const { return nick == identity_.nick; }
    std::string stamp() const;
    std::string logStamp() const;
    // Appends to the tab's view. The unread mark is a step of its own: only chat, action, talk
    // and topic lines set it (2, A, J2, B, C), so that notices in "#Main" and joins, leaves,
    // renames and status lines do not call the user to a tab with nothing said in it.
    void write(int tab, Font font, std::string_view text);
    // Marks the tab unread when it is not the current one.
    void markUnread(int tab);
    int findTab(std::string_view name) const;
    // Appends a line to the channel's log when the channel is logged; a log that cannot be
    // written is passed over quietly.
    void logLine(std::string_view channel, std::string_view line);
    bool isLogged(std::string_view channel) const;
    // Adds the nick to the channel's members and raises its mark when the channel is current.
    void recordMember(std::string_view channel, std::string_view nick);
    // A chat or talk line arrived for a tab: flash or balloon while the window is hidden.
    void drawAttention(const std::string& tabName, std::string_view nick, std::string_view text);
    void flashStep();
    void refreshStep();
    void updateCaption();
    // Re-marks every roster row for the current tab's members.
    void markMembers();
    int addTab(const std::string& name);
    void makeCurrent(int tab);
    void joinSteps(int tab, const std::string& channel);
    // Whether the program started; when it did not, the user is told why.
    bool startCouriel(const std::string& arguments);
    // The address the offering peer can reach this computer at, for T.
    std::string addressForPartner();
    void lapseOffers();
    // The rename procedure: the nick becomes the own nick and joins the nick history.
    void takeNick(const std::string& nick);
    void sendRename(const std::string& oldNick, const std::string& newNick);
    void appendArchive(std::string_view marker, std::string_view nick, std::string_view text);
    std::string archivePath() const { return seams_.programFolder + "Message.txt"; }
    bool windowHidden() const { return identity_.visibility != '1'; }

    // --- roster, presence, channels, topics and talks
    // Adds a peer's row in its place and returns its index; -1 when the roster is full. The
    // Refresh caption follows.
    int addRosterRow(std::string_view nick, char status, int stateImage);
    // The steps that follow every change of the current tab: member marks, caption, and the
    // tab's unread mark off.
    void settleCurrentTab();
    // The names of a channel list field ("#Main#Work#"), each without its "#".
    static std::vector<std::string> channelNames(std::string_view list);
    static bool isStatus(char status) { return status >= '0' && status <= '3'; }
    static bool isChannelName(std::string_view name) { return name.size() > 1 && name[0] == '#'; }
    // A talk tab is named by the partner; a name starting with "#" would pose as a channel tab.
    static bool isTalkName(std::string_view nick) { return !nick.empty() && nick[0] != '#'; }

    // --- chat line, file offer, start-up
    // Sends a talk line to the partner of the current tab and shows it there.
    void sendTalkLine(const std::string& partner, std::string_view text);

    ChatView& view_;
    ChatSeams seams_;
    Identity identity_;
    std::vector<Tab> tabs_;
    int current_ = 0;
    ChannelTable channels_;
    Roster roster_{seams_.codePage};
    std::vector<std::pair<std::string, std::string>> computerNames_;
    std::vector<std::string> history_;
    std::size_t historyCursor_ = 0;
    Transfer transfer_;
    Attention attention_;
    int refreshCounter_ = 180;
    int refreshOffset_ = 0;
    int ownWindow_ = 0;
};

} // namespace natterby::protocol
