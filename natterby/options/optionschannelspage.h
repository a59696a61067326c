#pragma once

#include "natterby/options/optionscontext.h"

#include <QWidget>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace natterby::settings {

// Page Channels: the user's channel list with the channels opened at start and the ones logged,
// the channels other users have open, the log folder and the message archive switch.
class OptionsChannelsPage : public QWidget {
public:
    // Reads the channel lists from the file and asks the other users for theirs.
    explicit OptionsChannelsPage(OptionsContext& context);

    // Names (without "#") another user has open; those not listed yet are added.
    void addOtherChannels(const std::vector<std::string>& names);

    // The OK steps of this page, in the order the dialog calls them.
    void applyLogFolder();
    // The three lists are written, changed or not, for the next start.
    void applyChannelLists();
    void applyArchive();

private:
    bool isOwnChannel(const QString& name) const;
    void addOwnChannel(const QString& name);
    void deleteOwnChannel();
    void refresh();
    void browse();

    OptionsContext& context_;
    QListWidget* yours_;
    QListWidget* others_;
    QListWidget* logged_;
    QLineEdit* name_;
    QLineEdit* logFolder_;
    QCheckBox* archive_;
};

} // namespace natterby::settings
