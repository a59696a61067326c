#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

// A joined channel as this copy knows it.
struct Channel {
    std::string name; // with its "#"
    std::string topic;
    std::vector<std::string> members; // compared byte for byte
};

// The joined channels, in the order of joining.
class ChannelTable {
public:
    const std::vector<Channel>& channels() const { return channels_; }

    Channel* find(std::string_view name);
    const Channel* find(std::string_view name) const;
    Channel& add(std::string name);
    void remove(std::string_view name);

    // Any peer can name members under names of its choosing; the bound keeps a flood from
    // growing a channel without end.
    static constexpr std::size_t kMaxMembers = 2048;

    // Adds the nick to the channel's members; false when it was there already or there is no
    // room left.
    static bool addMember(Channel& channel, std::string_view nick);
    static void removeMember(Channel& channel, std::string_view nick);
    static bool hasMember(const Channel& channel, std::string_view nick);

    // Every channel's name run together, then one more "#": "#Main#Work#".
    std::string channelList() const;

private:
    std::vector<Channel> channels_;
};

} // namespace natterby::protocol
