#pragma once

#include "common/ansi.h"
#include "natterby/protocol/chat.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/settings/settings.h"
#include "platform/launcher.h"

#include <QIcon>
#include <functional>

namespace natterby::windows {

// The main window's icons that the message windows wear.
inline constexpr int kMessageWindowIcon = 9;
inline constexpr int kAnswerIcon = 14;

// What the message, information and archive windows work through. The main window owns all of
// it and outlives every window it opens.
struct WindowContext {
    protocol::Chat& chat;
    const protocol::ChatTexts& texts;
    const common::CodePage& codePage;
    // One rectangle for every private message window: each opens on it, and the one the user
    // moved or resized last, or answered from, leaves its own there. The main window stores it
    // at exit.
    settings::Bounds& privateWindow;
    // Links in received messages open with the desktop's default action.
    platform::Launcher& launcher;
    // Image `index` of the main window's image list.
    std::function<QIcon(int index)> image;
    // Switches to the next keyboard layout where the display server allows it; empty where it
    // cannot, and then the layout swap only retypes the text.
    std::function<void()> nextKeyboardLayout;
};

} // namespace natterby::windows
