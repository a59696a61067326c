#pragma once

#include "common/ansi.h"
#include "common/profile.h"
#include "common/texts.h"
#include "natterby/options/optionschoosers.h"
#include "natterby/options/optionshost.h"
#include "natterby/protocol/chat.h"
#include "natterby/settings/settings.h"

#include <QString>
#include <string>
#include <string_view>

namespace natterby::settings {

// What the options dialog works through; all of it outlives the dialog.
struct OptionsSeams {
    // The running program's settings: read when the dialog fills, changed at OK, and at once by
    // the font, colour and gender choices.
    Settings& settings;
    const common::ProfileFile& settingsFile;
    // The language file the program runs with; the dialog reads its texts afresh each time.
    const common::LanguageTexts& language;
    const common::CodePage& codePage;
    // Asks the other users for their channels.
    protocol::Chat& chat;
    OptionsHost& host;
    OptionsChoosers& choosers;
    // The folder of the language files, in the file system's encoding, ending in '/'.
    std::string programFolder;
};

// Shared by the dialog and its pages for as long as the dialog lives.
struct OptionsContext {
    explicit OptionsContext(const OptionsSeams& dialogSeams) : seams(dialogSeams) {}

    // A text of section OptionDialog.
    QString caption(std::string_view key) const { return caption("OptionDialog", key); }
    QString caption(std::string_view section, std::string_view key) const {
        return toUi(seams.language.text(section, key));
    }
    QString toUi(std::string_view ansi) const {
        return QString::fromStdString(seams.codePage.toUtf8(ansi));
    }
    std::string toAnsi(const QString& text) const {
        return seams.codePage.fromUtf8(text.toStdString());
    }
    // Names in the lists (nicks, channels) are one name in whatever letter case, as the chat
    // itself takes them.
    bool sameIgnoringCase(const QString& a, const QString& b) const {
        return seams.codePage.sameIgnoringCase(toAnsi(a), toAnsi(b));
    }

    OptionsSeams seams;
    // Something was touched that takes effect only at the next start.
    bool restart = false;
};

} // namespace natterby::settings
