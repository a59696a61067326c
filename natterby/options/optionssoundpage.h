#pragma once

#include "natterby/options/optionscontext.h"

#include <QWidget>
#include <array>

class QLineEdit;
class QRadioButton;

namespace natterby::settings {

// Page Sound: for each of the five events a sound file, or the PC speaker instead.
class OptionsSoundPage : public QWidget {
public:
    explicit OptionsSoundPage(OptionsContext& context);

    // A changed file name is taken and written; the choice between file and speaker always is.
    void apply();

private:
    struct Row {
        QLineEdit* file = nullptr;
        QRadioButton* playFile = nullptr;
        QRadioButton* speaker = nullptr;
    };

    void chooseFile(Row& row);

    OptionsContext& context_;
    std::array<Row, kSoundSlotCount> rows_;
};

} // namespace natterby::settings
