#pragma once

#include "common/profile.h"
#include "natterby/settings/settings.h"

#include <string>

namespace natterby::settings {

// The places that write settings back while the program runs. Each writes its keys at once;
// write failures are ignored, as a lost setting only costs the user a repeat at the next start.

// Each change of the own nick: a new nick joins the end of the remembered list, whose oldest
// entry goes when it grows beyond 15; the list and the own nick are written to section Nicks.
void recordNick(NickSettings& nicks, const std::string& nick, const common::ProfileFile& file);

// What the main window knows at its closing.
struct ExitState {
    Bounds window; // the last bounds in the normal (neither minimised nor maximised) state
    bool maximised = false;
    Bounds privateWindow;
    char status = '0';
};

void saveOnExit(const ExitState& state, const common::ProfileFile& file);

// The checkable items of the view menu.
enum class ViewToggle {
    Scrolling,
    ShowTooltip,
    ShowBalloon,
    ShowNick,
    ShowComputers,
    ViewSeconds,
    AccessExecute,
};

// Flips the item's setting and writes "1" or "0" to its key; returns the new value.
bool toggleView(Settings& settings, ViewToggle item, const common::ProfileFile& file);

} // namespace natterby::settings
