#pragma once

#include "natterby/windows/windowcontext.h"

#include <QWidget>
#include <string>
#include <vector>

class QListWidget;

namespace natterby::windows {

class MessageEditor;

// One text to several users, each of whom receives a mass message of their own. The recipients
// are the nick list as it was when the window opened, all ticked; later changes to the nick
// list do not reach it. Deletes itself when closed.
class MassMessageWindow : public QWidget {
public:
    // nicks: the main window's nick list, in its order.
    MassMessageWindow(const WindowContext& context, const std::vector<std::string>& nicks,
                      QWidget* parent = nullptr);

    // Shows the window in the foreground with the editor focused.
    void open();

private:
    void send();

    WindowContext context_;
    std::vector<std::string> nicks_;
    MessageEditor* editor_;
    QListWidget* recipients_;
};

} // namespace natterby::windows
