#pragma once

#include "natterby/protocol/roster.h"

#include <QListWidget>
#include <functional>
#include <optional>
#include <string>

namespace natterby::mainwindow {

// The nick list beside the chat: a row per peer with its status icon, and before it the state
// image (window shown, member of the current tab's channel). It shows what the roster holds.
class NickList : public QListWidget {
    Q_OBJECT
public:
    using RowIcon = std::function<QIcon(char status, int stateImage)>;
    using Shown = std::function<QString(const std::string& nick)>;

    NickList(RowIcon rowIcon, Shown shown, QWidget* parent);

    // Rebuilds the rows; the selected nick stays selected while it is still there.
    void showRows(const protocol::Roster& roster);
    // The nick of the selected row, in the code page.
    std::optional<std::string> selectedNick() const;

signals:
    // A left click on a row.
    void nickClicked(const std::string& nick);
    void typed(const QString& text);
    void touched();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    RowIcon rowIcon_;
    Shown shown_;
    std::vector<std::string> nicks_; // the rows' nicks as the roster has them
};

} // namespace natterby::mainwindow
