#pragma once

#include <QIcon>

namespace natterby::settings {

// What the options dialog asks of the main window, which applies the running settings that the
// dialog changed at once.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    // Image `index` (0 to 17) of the main window's image list, as the tray shows it.
    virtual QIcon trayImage(int index) const = 0;
    // A text style (Settings::fonts) or a background (view.color11, view.color12) changed:
    // lines written from now on and the views, nick list and chat line take them.
    virtual void appearanceChanged() = 0;
    // icon.normal changed: the tray shows it now.
    virtual void trayIconChanged() = 0;
    // nicks.gender changed: what the chat sends from now on carries it.
    virtual void genderChanged() = 0;
};

} // namespace natterby::settings
