// Drawing the user's attention while the main window is hidden in the tray: a flashing icon,
// or a balloon that pauses the flashing while it is up; and bringing the window back.
#include "natterby/protocol/chat.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

// The tray shows an image of the main image list, which has 18; the settings file may name any
// number.
constexpr int kLastTrayImage = 17;
// A balloon holds the flashing back for at most this many ticks after it went up.
constexpr int kBalloonPauseTicks = 20;
constexpr std::size_t kBalloonTextLength = 40;

int trayImage(int index) {
    return std::clamp(index, 0, kLastTrayImage);
}

} // namespace

void Chat::drawAttention(const std::string& tabName, std::string_view nick, std::string_view text) {
    if (!windowHidden()) {
        return;
    }
    attention_.flashing = true;
    if (!seams_.settings.view.balloonShow) {
        return;
    }
    // A newer line replaces the balloon, and the pause starts again from it.
    if (attention_.balloonUp) {
        view_.hideBalloon();
        attention_.pauseCounter = 0;
    }
    attention_.balloonUp = true;
    std::string balloon = "<";
    balloon.append(nick);
    balloon += ">: ";
    balloon.append(text.substr(0, kBalloonTextLength));
    view_.showBalloon(tabName, balloon);
}

void Chat::flashStep() {
    if (attention_.balloonUp) {
        if (++attention_.pauseCounter > kBalloonPauseTicks) {
            attention_.pauseCounter = 0;
            attention_.balloonUp = false;
        }
    } else {
        // The shell may report the balloon hidden before its time is up; the flashing resumes
        // then instead of waiting for a count that no longer runs.
        attention_.pauseCounter = 0;
    }
    if (attention_.flashing && !attention_.balloonUp) {
        const settings::IconSettings& icons = seams_.settings.icon;
        view_.trayIconChanged(trayImage(attention_.flashPhase ? icons.normal : icons.flash));
        attention_.flashPhase = !attention_.flashPhase;
    }
}

void Chat::tick() {
    refreshStep();
    flashStep();
    lapseOffers();
}

void Chat::endAttention() {
    attention_.flashing = false;
    attention_.balloonUp = false;
    attention_.pauseCounter = 0;
    view_.trayIconChanged(trayImage(seams_.settings.icon.normal));
}

void Chat::restore() {
    endAttention();
    view_.restoreWindow();
}

} // namespace natterby::protocol
