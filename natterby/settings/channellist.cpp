#include "natterby/settings/channellist.h"

#include <algorithm>

namespace natterby::settings {

namespace {

void dropFront(std::string_view& text, std::size_t count) {
    text.remove_prefix(std::min(count, text.size()));
}

bool frontFlag(std::string_view flags) {
    return !flags.empty() && flags.front() == '1';
}

} // namespace

std::vector<ChannelEntry> parseChannelList(std::string_view channels, std::string_view visible,
                                           std::string_view logged) {
    // Each list starts with the "#" of its first item.
    dropFront(channels, 1);
    dropFront(visible, 1);
    dropFront(logged, 1);
    std::vector<ChannelEntry> entries;
    while (!channels.empty()) {
        const std::size_t end = channels.find('#');
        const std::string_view name = channels.substr(0, end);
        if (!name.empty()) {
            entries.push_back({std::string(name), frontFlag(visible), frontFlag(logged)});
        }
        // A flag and its "#" separator: the flags stay aligned with the names.
        dropFront(visible, 2);
        dropFront(logged, 2);
        dropFront(channels, end == std::string_view::npos ? channels.size() : end + 1);
    }
    return entries;
}

} // namespace natterby::settings
