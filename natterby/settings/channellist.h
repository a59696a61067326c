#pragma once

#include "natterby/settings/settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace natterby::settings {

// The user's channel list from its three stored lists, read in step: channels "#Work#Games",
// visibility and logging flags "#1#0". A flag list shorter than the channel list leaves the
// remaining channels off; an empty name ("#A##B") is passed over together with its flags.
std::vector<ChannelEntry> parseChannelList(std::string_view channels, std::string_view visible,
                                           std::string_view logged);

} // namespace natterby::settings
