#include "natterby/settings/startupload.h"

#include "natterby/settings/channellist.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace natterby::settings {

namespace {

using common::ProfileFile;

constexpr const char* kMainChannel = "#Main";

bool readFlagOne(const ProfileFile& file, std::string_view section, std::string_view key,
                 bool defaultValue) {
    return common::isFlagOne(file.readText(section, key, defaultValue ? "1" : "0"));
}

bool readFlagTrue(const ProfileFile& file, std::string_view section, std::string_view key,
                  bool defaultValue) {
    return common::isFlagTrue(file.readText(section, key, defaultValue ? "true" : "false"));
}

// An empty stored text has no first character; it reads as the default.
char readLetter(const ProfileFile& file, std::string_view section, std::string_view key,
                char defaultValue) {
    const std::string text = file.readText(section, key, std::string_view(&defaultValue, 1));
    return text.empty() ? defaultValue : text.front();
}

std::string hexText(std::uint16_t value) {
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, 16);
    return std::string(digits, result.ptr);
}

std::string numbered(std::string_view key, int i) {
    return std::string(key) + std::to_string(i);
}

// Returns false when the IPX transport failed to open, which ends the load.
bool loadNet(NetSettings& net, const ProfileFile& file, StartupHost& host) {
    net.net = readFlagOne(file, "Net", "Net", net.net);
    net.ipx = readFlagTrue(file, "Net", "IPX", net.ipx);
    net.udpPort = file.readInt("Net", "UDPPort", net.udpPort);
    net.udpAdress = file.readText("Net", "UDPAdress", net.udpAdress);
    // Larger values keep their low 16 bits, as the socket number is held in 16 bits.
    net.ipxSocket = static_cast<std::uint16_t>(
        common::parseHex(file.readText("Net", "IPXSocket", hexText(net.ipxSocket))));
    if (net.ipx) {
        if (net.net) {
            if (const auto error = host.openIpx(net.ipxSocket)) {
                host.showMessage("Open error:" + *error);
                return false;
            }
        }
    } else {
        // UDP opens even with networking off: the flag stops sending, not receiving.
        host.openUdp(net.udpPort, net.udpAdress);
    }
    net.sincron = readFlagOne(file, "Net", "Sincron", net.sincron);
    return true;
}

void loadView(ViewSettings& view, const ProfileFile& file) {
    view.nickVis = readFlagOne(file, "View", "NickVis", view.nickVis);
    view.toolTips = readFlagOne(file, "View", "ToolTips", view.toolTips);
    view.compVis = readFlagOne(file, "View", "CompVis", view.compVis);
    view.scrolling = readFlagOne(file, "View", "Scrolling", view.scrolling);
    view.arhive = readFlagOne(file, "View", "Arhive", view.arhive);
    view.balloonShow = readFlagOne(file, "View", "BalloonShow", view.balloonShow);
    view.tab = file.readInt("View", "Tab", view.tab);
    view.seconds = readFlagOne(file, "View", "Seconds", view.seconds);
    view.color11 = file.readInt("View", "Color11", view.color11);
    view.color12 = file.readInt("View", "Color12", view.color12);
}

void loadNicks(NickSettings& nicks, const ProfileFile& file) {
    const std::int32_t count = file.readInt("Nicks", "Count", 0);
    // The program never stores more than 15; an edited file with a larger count loads its newest
    // 15 instead of reading the file once for each of millions of keys.
    const std::int64_t first = std::max<std::int64_t>(
        1, std::int64_t{count} - static_cast<std::int64_t>(kMaxRememberedNicks) + 1);
    for (std::int64_t i = first; i <= count; ++i) {
        nicks.remembered.push_back(file.readText("Nicks", std::to_string(i), ""));
    }
    // Empty means the computer name, which the caller has put in as the built-in value.
    if (std::string current = file.readText("Nicks", "Current", ""); !current.empty()) {
        nicks.current = std::move(current);
    }
    nicks.status = readLetter(file, "Nicks", "Status", nicks.status);
    // The status picks one of the four items of the status menu and is sent to every peer.
    if (nicks.status < '0' || nicks.status > '3') {
        nicks.status = '0';
    }
    nicks.gender = readLetter(file, "Nicks", "Gender", nicks.gender);
}

void loadPosition(PositionSettings& position, const ProfileFile& file) {
    Bounds& window = position.window;
    window.left = file.readInt("Position", "Left", window.left);
    window.top = file.readInt("Position", "Top", window.top);
    window.width = file.readInt("Position", "Width", window.width);
    window.height = file.readInt("Position", "Height", window.height);
    position.show = readFlagTrue(file, "Position", "Show", position.show);
    position.max = file.readInt("Position", "Max", position.max);
    Bounds& other = position.privateWindow;
    other.left = file.readInt("Position", "Left4", other.left);
    other.top = file.readInt("Position", "Top4", other.top);
    other.width = file.readInt("Position", "Width4", other.width);
    other.height = file.readInt("Position", "Height4", other.height);
}

void loadFonts(std::array<FontStyle, kFontStyleCount>& fonts, const ProfileFile& file) {
    for (int i = 1; i <= kFontStyleCount; ++i) {
        FontStyle& font = fonts[static_cast<std::size_t>(i - 1)];
        font.bold = readFlagOne(file, "Fonts", numbered("Bold", i), false);
        font.colour = file.readInt("Fonts", numbered("Color", i), font.colour);
        font.height = file.readInt("Fonts", numbered("Height", i), font.height);
        font.name = file.readText("Fonts", numbered("Name", i), font.name);
        font.italic = readFlagOne(file, "Fonts", numbered("Italic", i), false);
    }
}

void loadSounds(std::array<SoundSlot, kSoundSlotCount>& sounds, const ProfileFile& file) {
    for (int i = 1; i <= kSoundSlotCount; ++i) {
        sounds[static_cast<std::size_t>(i - 1)].s = file.readText("Sounds", numbered("S", i), "");
    }
    for (int i = 1; i <= kSoundSlotCount; ++i) {
        sounds[static_cast<std::size_t>(i - 1)].pc =
            file.readText("Sounds", numbered("PC", i), "0").substr(0, 2);
    }
}

void loadChannels(ChannelSettings& channels, const ProfileFile& file, StartupHost& host) {
    channels.pathProto = file.readText("Channels", "PathProto", channels.pathProto);
    const std::string names = file.readText("Channels", "Channels", "");
    const std::string visible = file.readText("Channels", "ChannelsVis", "");
    const std::string logged = file.readText("Channels", "Protocol", "");
    host.joinChannel(kMainChannel);
    channels.list = parseChannelList(names, visible, logged);
    for (const ChannelEntry& entry : channels.list) {
        const std::string channel = "#" + entry.name;
        host.addToChannelMenu(channel);
        if (entry.logged) {
            channels.logged += channel + "\n";
        }
        if (entry.visible) {
            host.joinChannel(channel);
        }
    }
}

} // namespace

void loadSettings(Settings& settings, const common::ProfileFile& file,
                  const std::string& programFolder, StartupHost& host) {
    settings = Settings{};
    // The machine's defaults go in first, so that they are the built-in values also when the
    // load ends early.
    settings.nicks.current = host.computerName();
    settings.position.window = host.windowBounds();
    settings.fonts.fill(host.mainFont());
    settings.channels.pathProto = programFolder;

    if (!loadNet(settings.net, file, host)) {
        return;
    }
    loadView(settings.view, file);
    loadNicks(settings.nicks, file);
    loadPosition(settings.position, file);
    loadFonts(settings.fonts, file);
    settings.icon.normal = file.readInt("Icon", "Normal", settings.icon.normal);
    settings.icon.flash = file.readInt("Icon", "Flash", settings.icon.flash);
    settings.execute.razresh = readFlagOne(file, "Execute", "Razresh", settings.execute.razresh);
    settings.execute.password = file.readText("Execute", "Password", "");
    settings.ignore.channels = file.readText("Ignore", "Channels", "");
    settings.ignore.message = file.readText("Ignore", "Message", "");
    loadSounds(settings.sounds, file);
    // The language comes before the channels: joining writes the language's welcome text.
    settings.language.ini = file.readText("Language", "ini", "");
    host.applyLanguage(languageFilePath(programFolder, settings.language.ini));
    loadChannels(settings.channels, file, host);
}

} // namespace natterby::settings
