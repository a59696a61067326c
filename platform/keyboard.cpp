#include "platform/keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <memory>

namespace platform {

void switchToNextKeyboardLayout() {
    // A connection of its own: the caller's toolkit may not be on X11 at all, and this runs once
    // per key press, which can afford the round trip.
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr),
                                                              &XCloseDisplay);
    if (!display) {
        return;
    }
    XkbStateRec state{};
    if (XkbGetState(display.get(), XkbUseCoreKbd, &state) != Success) {
        return;
    }
    const std::unique_ptr<XkbDescRec, void (*)(XkbDescPtr)> keyboard(
        XkbAllocKeyboard(), [](XkbDescPtr desc) { XkbFreeKeyboard(desc, 0, True); });
    if (!keyboard || XkbGetControls(display.get(), XkbGroupsWrapMask, keyboard.get()) != Success ||
        keyboard->ctrls == nullptr || keyboard->ctrls->num_groups < 2) {
        return;
    }
    const unsigned next = (state.group + 1u) % keyboard->ctrls->num_groups;
    XkbLockGroup(display.get(), XkbUseCoreKbd, next);
    XFlush(display.get());
}

} // namespace platform
