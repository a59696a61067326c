#pragma once

#include "natterby/options/optionscontext.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace natterby::settings {

// Page View: language, gender, tab style, the ten text styles with the two backgrounds, and the
// tray icons.
class OptionsViewPage : public QWidget {
public:
    // fontPressed runs each time "Font" is pressed, before anything else.
    OptionsViewPage(OptionsContext& context, std::function<void()> fontPressed);

    // The OK steps of this page, in the order the dialog calls them.
    void applyLanguage();
    void applyTabStyle();
    void applyGender();
    void applyTrayIcons();

private:
    void chooseFont();
    void chooseColour();
    void entrySelected();
    // The colour value entry (0 to 11) stands for.
    std::int32_t entryColour(int entry) const;
    void showSwatch(int entry);
    void showTrayImage(QLabel* label, int index);

    OptionsContext& context_;
    std::function<void()> fontPressed_;
    std::vector<std::string> languages_; // in the code page, as `ini` holds them
    std::string languageAtOpening_;
    int tabAtOpening_ = 1;
    int chosenTab_ = 1;
    int normalIcon_ = 0;
    int flashIcon_ = 0;

    QComboBox* language_;
    QComboBox* gender_;
    QButtonGroup* tabStyle_;
    QListWidget* fonts_;
    QPushButton* font_;
    QLabel* swatch_;
    QLabel* normalImage_;
    QLabel* flashImage_;
};

} // namespace natterby::settings
