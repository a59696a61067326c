#pragma once

#include "natterby/options/optionscontext.h"

#include <QDialog>
#include <string>
#include <vector>

class QPushButton;
class QTabWidget;

namespace natterby::settings {

class OptionsViewPage;
class OptionsNetPage;
class OptionsIgnorePage;
class OptionsChannelsPage;
class OptionsSoundPage;

enum class OptionsPage { View, Net, Ignore, Channels, Sound };

// The options: five pages over most of Interf.ini. Built afresh for each showing: it fills
// itself from the running settings and the file when made, and asks the other users for their
// channels. OK writes the changes and applies those the running program can take; the font,
// colour and gender choices take effect as they are made, and Cancel does not undo them.
class OptionsDialog : public QDialog {
public:
    OptionsDialog(const OptionsSeams& seams, QWidget* parent = nullptr);
    ~OptionsDialog() override;

    void showPage(OptionsPage page);
    // The nick that "Ignore..." opens the dialog with, ready to be added to a list.
    void setIgnoreNick(const std::string& nick);

    // A channel-list answer: names (without "#") another user has open. Ignored once the dialog
    // has closed.
    void addOtherChannels(const std::vector<std::string>& names);

    // Closed with OK, and something was changed that takes effect only at the next start: the
    // caller tells the user to restart the program.
    bool restartNeeded() const { return result() == Accepted && context_.restart; }

    // OK: every change is written and applied, in a fixed order, and the dialog closes.
    void accept() override;
    void done(int result) override;

private:
    OptionsContext context_;
    bool closed_ = false;
    QTabWidget* pages_;
    QPushButton* cancel_;
    OptionsViewPage* view_;
    OptionsNetPage* net_;
    OptionsIgnorePage* ignore_;
    OptionsChannelsPage* channels_;
    OptionsSoundPage* sound_;
};

} // namespace natterby::settings
