#pragma once

namespace platform {

// Switches the keyboard to its next layout, after a text was retyped in the other one. Works
// where the display server lets a program switch (X11, through XKB's groups); elsewhere, and
// without a display, it does nothing.
void switchToNextKeyboardLayout();

} // namespace platform
