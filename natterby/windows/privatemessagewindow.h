#pragma once

#include "natterby/archive/archivefile.h"
#include "natterby/settings/settings.h"
#include "natterby/windows/windowcontext.h"

#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace natterby::windows {

class MessageEditor;

// One private message, read or written. A window shows a message that arrived and can turn into
// the answer to it; one opened for writing stays so. Each window is independent of the others
// and deletes itself when closed.
//
// The title is two marker characters and the other user's nick: "<-" a private message from
// them, "<=" a mass message from them, ">>" a message being written to them.
class PrivateMessageWindow : public QWidget {
public:
    PrivateMessageWindow(const WindowContext& context, QWidget* parent = nullptr);

    // A message just arrived (marker "<-" or "<="): shown for reading without taking the focus,
    // minimised when asked.
    void showReceived(std::string_view marker, const std::string& nick, const std::string& text,
                      bool minimised);
    // A new message to the nick, brought to the foreground with the text in the editor.
    void writeTo(const std::string& nick, const std::string& text = {});
    // An archive record: a sent one opens for writing with its text, a received one for reading.
    void reopen(const archive::ArchiveRecord& record);

    // The other user: the title from its third character on, whatever the marker.
    std::string nick() const { return title_.size() > 2 ? title_.substr(2) : std::string(); }
    bool isWriting() const { return writing_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setTitle(std::string title);
    void showReading(std::string_view marker, const std::string& nick, const std::string& text);
    void showWriting(const std::string& nick, const std::string& text);
    void bringToFront();

    void quote();
    void answer();
    void send();
    void switchToWriting();
    // Reading turns into writing the answer to the other user.
    void turnToAnswer();

    void limitEditor();
    void swapLayout();
    void openLink(const QUrl& url);

    settings::Bounds bounds() const;
    void placeAt(const settings::Bounds& target);
    // The window's rectangle becomes the shared one.
    void keepRectangle();
    void userMovedOrResized();

    WindowContext context_;
    std::string title_;
    std::string received_; // the text the view shows, as it came
    std::vector<std::string> linkTargets_;
    bool writing_ = false;
    // Where this window put itself last: a move or resize to anywhere else is the user's.
    settings::Bounds placed_;
    bool placing_ = false;

    QTextBrowser* view_;
    MessageEditor* editor_;
    QWidget* readingButtons_;
    QWidget* writingButtons_;
};

} // namespace natterby::windows
