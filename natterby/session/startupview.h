#pragma once

#include "natterby/settings/settings.h"

#include <string>

namespace natterby::session {

// What the start-up needs of the window besides the chat core's view: the defaults its widgets
// give, and the steps that change them while the settings load. The main window implements it.
class StartupView {
public:
    virtual ~StartupView() = default;

    // The window's bounds as built and its main chat view's font: the defaults of the position
    // and of every text style.
    virtual settings::Bounds windowBounds() = 0;
    virtual settings::FontStyle mainFont() = 0;
    // The texts were replaced by the language file's; the captions follow them.
    virtual void languageChanged() = 0;
    virtual void addToChannelMenu(const std::string& channel) = 0;
    // The load has ended and the core exists, but no channel is joined yet: the widgets take the
    // loaded settings now, so that the joins write with the loaded fonts and colours.
    virtual void settingsLoaded() = 0;
};

} // namespace natterby::session
