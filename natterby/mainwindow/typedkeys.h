#pragma once

#include <QKeyEvent>

namespace natterby::mainwindow {

// A printable character typed into a chat view or the nick list belongs to the chat line;
// control characters and shortcuts stay where they were typed.
inline bool belongsToChatLine(const QKeyEvent& event) {
    const QString text = event.text();
    const bool command = (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    return !command && !text.isEmpty() && text.front().unicode() >= 32 &&
           text.front().unicode() != 127;
}

} // namespace natterby::mainwindow
