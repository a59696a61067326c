#include "natterby/protocol/channels.h"

#include <algorithm>

namespace natterby::protocol {

Channel* ChannelTable::find(std::string_view name) {
    const auto found = std::find_if(channels_.begin(), channels_.end(),
                                    [&](const Channel& channel) { return channel.name == name; });
    return found == channels_.end() ? nullptr : &*found;
}

const Channel* ChannelTable::find(std::string_view name) const {
    return const_cast<ChannelTable*>(this)->find(name);
}

Channel& ChannelTable::add(std::string name) {
    channels_.push_back({std::move(name), {}, {}});
    return channels_.back();
}

void ChannelTable::remove(std::string_view name) {
    std::erase_if(channels_, [&](const Channel& channel) { return channel.name == name; });
}

bool ChannelTable::addMember(Channel& channel, std::string_view nick) {
    if (channel.members.size() >= kMaxMembers || hasMember(channel, nick)) {
        return false;
    }
    channel.members.emplace_back(nick);
    return true;
}

void ChannelTable::removeMember(Channel& channel, std::string_view nick) {
    std::erase(channel.members, nick);
}

bool ChannelTable::hasMember(const Channel& channel, std::string_view nick) {
    return std::find(channel.members.begin(), channel.members.end(), nick) != channel.members.end();
}

std::string ChannelTable::channelList() const {
    std::string list;
    for (const Channel& channel : channels_) {
        list += channel.name;
    }
    return list + "#";
}

} // namespace natterby::protocol
