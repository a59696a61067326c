#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace natterby::settings {

// A colour with the top bit set is a system colour; system colour 5 is the window background.
inline constexpr std::int32_t kWindowBackgroundColour = static_cast<std::int32_t>(0x80000005u);

inline constexpr int kFontStyleCount = 10;
inline constexpr int kSoundSlotCount = 5;
inline constexpr std::size_t kMaxRememberedNicks = 15;

struct Bounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct FontStyle {
    std::string name;
    std::int32_t height = 0;
    std::int32_t colour = 0; // 0x00BBGGRR, or 0x80000000 + n for system colour n
    bool bold = false;
    bool italic = false;

    friend bool operator==(const FontStyle&, const FontStyle&) = default;
};

struct ChannelEntry {
    std::string name; // without the leading "#"
    bool visible = false;
    bool logged = false;

    friend bool operator==(const ChannelEntry&, const ChannelEntry&) = default;
};

// One sound slot: a sound file, or the speaker.
struct SoundSlot {
    std::string s; // path of the sound file
    std::string pc =
        "0"; // exactly "0" plays the file, anything else the tone; at most 2 characters
};

struct NetSettings {
    bool net = true; // networking: packets are sent
    bool ipx = true; // IPX transport; off, UDP broadcast
    std::int32_t udpPort = 8198;
    std::string udpAdress = "255.255.255.255";
    std::uint16_t ipxSocket = 0x8199;
    bool sincron = true;
};

struct ViewSettings {
    bool nickVis = true;
    bool toolTips = true;
    bool compVis = true;
    bool scrolling = true;
    bool arhive = true;
    bool balloonShow = false;
    std::int32_t tab = 1; // 1 tabs, 2 buttons, 3 flat buttons
    bool seconds = false;
    std::int32_t color11 = kWindowBackgroundColour; // chat views and nick list
    std::int32_t color12 = kWindowBackgroundColour; // chat line
};

struct NickSettings {
    std::vector<std::string> remembered; // the nick box's list, oldest first
    std::string current;                 // the own nick
    char status = '0';                   // '0' Available, '1' DND, '2' Away, '3' Offline
    char gender = '0';                   // '0' selects the He texts, anything else the She texts
};

struct PositionSettings {
    Bounds window;
    bool show = true;
    std::int32_t max = 0; // 1 starts maximised
    Bounds privateWindow{100, 100, 400, 200};
};

struct IconSettings {
    std::int32_t normal = 4;
    std::int32_t flash = 5;
};

struct ExecuteSettings {
    bool razresh = false; // remote execution allowed
    std::string password;
};

// Both lists as stored: "#" + nick for each, then one more "#".
struct IgnoreSettings {
    std::string channels;
    std::string message;
};

struct LanguageSettings {
    std::string ini; // name of the language file, without ".ini"
};

struct ChannelSettings {
    std::string pathProto; // folder of the chat logs
    std::vector<ChannelEntry> list;
    std::string logged; // "#" + name + "\n" for every logged channel
};

// Everything the chat reads from Interf.ini at start, with the built-in values. The values that
// depend on the machine (window bounds, the main font, the computer name, the program folder)
// are put in by the start-up load.
struct Settings {
    NetSettings net;
    ViewSettings view;
    NickSettings nicks;
    PositionSettings position;
    std::array<FontStyle, kFontStyleCount> fonts;
    IconSettings icon;
    ExecuteSettings execute;
    IgnoreSettings ignore;
    std::array<SoundSlot, kSoundSlotCount> sounds;
    LanguageSettings language;
    ChannelSettings channels;
};

// programFolder ends in '/'.
std::string settingsFilePath(const std::string& programFolder);
std::string languageFilePath(const std::string& programFolder, const std::string& ini);

} // namespace natterby::settings
