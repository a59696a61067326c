#include "natterby/settings/settingswriters.h"

#include <algorithm>
#include <string_view>

namespace natterby::settings {

void recordNick(NickSettings& nicks, const std::string& nick, const common::ProfileFile& file) {
    auto& remembered = nicks.remembered;
    if (std::find(remembered.begin(), remembered.end(), nick) == remembered.end()) {
        remembered.push_back(nick);
        if (remembered.size() > kMaxRememberedNicks) {
            remembered.erase(remembered.begin());
        }
    }
    nicks.current = nick;
    file.writeInt("Nicks", "Count", static_cast<std::int32_t>(remembered.size()));
    for (std::size_t i = 0; i < remembered.size(); ++i) {
        file.writeText("Nicks", std::to_string(i + 1), remembered[i]);
    }
    file.writeText("Nicks", "Current", nicks.current);
}

void saveOnExit(const ExitState& state, const common::ProfileFile& file) {
    file.writeInt("Position", "Left", state.window.left);
    file.writeInt("Position", "Top", state.window.top);
    file.writeInt("Position", "Width", state.window.width);
    file.writeInt("Position", "Height", state.window.height);
    file.writeInt("Position", "Max", state.maximised ? 1 : 0);
    file.writeInt("Position", "Left4", state.privateWindow.left);
    file.writeInt("Position", "Top4", state.privateWindow.top);
    file.writeInt("Position", "Width4", state.privateWindow.width);
    file.writeInt("Position", "Height4", state.privateWindow.height);
    file.writeText("Nicks", "Status", std::string(1, state.status));
}

bool toggleView(Settings& settings, ViewToggle item, const common::ProfileFile& file) {
    struct Target {
        bool* value;
        std::string_view section;
        std::string_view key;
    };
    ViewSettings& view = settings.view;
    const Target target = [&]() -> Target {
        switch (item) {
        case ViewToggle::Scrolling:
            return {&view.scrolling, "View", "Scrolling"};
        case ViewToggle::ShowTooltip:
            return {&view.toolTips, "View", "ToolTips"};
        case ViewToggle::ShowBalloon:
            return {&view.balloonShow, "View", "BalloonShow"};
        case ViewToggle::ShowNick:
            return {&view.nickVis, "View", "NickVis"};
        case ViewToggle::ShowComputers:
            return {&view.compVis, "View", "CompVis"};
        case ViewToggle::ViewSeconds:
            return {&view.seconds, "View", "Seconds"};
        case ViewToggle::AccessExecute:
            break;
        }
        return {&settings.execute.razresh, "Execute", "Razresh"};
    }();
    *target.value = !*target.value;
    file.writeText(target.section, target.key, *target.value ? "1" : "0");
    return *target.value;
}

} // namespace natterby::settings
