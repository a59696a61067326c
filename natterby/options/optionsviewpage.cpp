#include "natterby/options/optionsviewpage.h"

#include "natterby/options/colourvalue.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace natterby::settings {

namespace {

constexpr int kEntryCount = 12;
constexpr int kBackgroundEntry = 10;
constexpr int kCommandLineEntry = 11;
constexpr int kLastTrayImage = 17;
constexpr int kTrayImageSize = 18;

std::string numbered(std::string_view key, int i) {
    return std::string(key) + std::to_string(i);
}

int nextTrayImage(int index) {
    return index >= 0 && index < kLastTrayImage ? index + 1 : 0;
}

// Heights are kept in tenths of a point; the chooser works in whole points, and a half goes to
// the even neighbour.
int pointSize(std::int32_t height) {
    return static_cast<int>(std::nearbyint(height / 10.0));
}

} // namespace

OptionsViewPage::OptionsViewPage(OptionsContext& context, std::function<void()> fontPressed)
    : context_(context), fontPressed_(std::move(fontPressed)) {
    const OptionsSeams& seams = context_.seams;
    const Settings& settings = seams.settings;

    language_ = new QComboBox;
    language_->setObjectName(QStringLiteral("language"));
    // The options look for a language the program was never told about under the Russian one.
    languageAtOpening_ = seams.settingsFile.readText("Language", "ini", "LangRus");
    for (const std::string& name : common::listLanguages(seams.programFolder)) {
        // File names are in the file system's encoding; `ini` holds them in the code page.
        languages_.push_back(seams.codePage.fromUtf8(name));
        language_->addItem(QString::fromStdString(name));
    }
    language_->setCurrentIndex(-1);
    for (std::size_t i = 0; i < languages_.size(); ++i) {
        if (seams.codePage.sameIgnoringCase(languages_[i], languageAtOpening_)) {
            language_->setCurrentIndex(static_cast<int>(i));
            break;
        }
    }

    tabAtOpening_ = seams.settingsFile.readInt("View", "Tab", 1);
    chosenTab_ = tabAtOpening_;
    tabStyle_ = new QButtonGroup(this);
    auto* tabBox = new QGroupBox(context_.caption("tabs"));
    auto* tabLayout = new QVBoxLayout(tabBox);
    const char* tabKeys[] = {"tab", "tabBut", "tabButFlat"};
    for (int style = 1; style <= 3; ++style) {
        auto* button = new QRadioButton(context_.caption(tabKeys[style - 1]));
        button->setObjectName(QStringLiteral("tabStyle%1").arg(style));
        button->setChecked(style == tabAtOpening_);
        tabStyle_->addButton(button, style);
        tabLayout->addWidget(button);
    }
    connect(tabStyle_, &QButtonGroup::idClicked, this, [this](int style) {
        chosenTab_ = style;
        context_.restart = true;
    });

    gender_ = new QComboBox;
    gender_->setObjectName(QStringLiteral("gender"));
    gender_->addItems({context_.caption("Male"), context_.caption("Female")});
    const char gender = settings.nicks.gender;
    gender_->setCurrentIndex(gender == '0' ? 0 : gender == '1' ? 1 : -1);
    connect(gender_, &QComboBox::activated, this, [this](int index) {
        context_.seams.settings.nicks.gender = static_cast<char>('0' + index);
        context_.seams.host.genderChanged();
    });

    fonts_ = new QListWidget;
    fonts_->setObjectName(QStringLiteral("fonts"));
    for (int entry = 0; entry < kEntryCount; ++entry) {
        fonts_->addItem(context_.caption(numbered("List", entry)));
    }
    connect(fonts_, &QListWidget::currentRowChanged, this, [this] { entrySelected(); });
    font_ = new QPushButton(context_.caption("Font"));
    font_->setObjectName(QStringLiteral("font"));
    font_->setEnabled(false);
    connect(font_, &QPushButton::clicked, this, [this] { chooseFont(); });
    auto* colour = new QPushButton(context_.caption("Color"));
    colour->setObjectName(QStringLiteral("colour"));
    connect(colour, &QPushButton::clicked, this, [this] { chooseColour(); });
    swatch_ = new QLabel;
    swatch_->setObjectName(QStringLiteral("swatch"));
    swatch_->setFixedSize(25, 22);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);

    normalIcon_ = settings.icon.normal;
    flashIcon_ = settings.icon.flash;
    normalImage_ = new QLabel;
    flashImage_ = new QLabel;
    showTrayImage(normalImage_, normalIcon_);
    showTrayImage(flashImage_, flashIcon_);
    auto* nextNormal = new QPushButton(context_.caption("TrayNormal"));
    nextNormal->setObjectName(QStringLiteral("nextNormal"));
    connect(nextNormal, &QPushButton::clicked, this, [this] {
        normalIcon_ = nextTrayImage(normalIcon_);
        showTrayImage(normalImage_, normalIcon_);
    });
    auto* nextFlash = new QPushButton(context_.caption("TrayFlash"));
    nextFlash->setObjectName(QStringLiteral("nextFlash"));
    connect(nextFlash, &QPushButton::clicked, this, [this] {
        flashIcon_ = nextTrayImage(flashIcon_);
        showTrayImage(flashImage_, flashIcon_);
    });

    auto* languageBox = new QGroupBox(context_.caption("lang"));
    (new QVBoxLayout(languageBox))->addWidget(language_);
    auto* genderBox = new QGroupBox(context_.caption("Gender"));
    (new QVBoxLayout(genderBox))->addWidget(gender_);
    auto* trayBox = new QGroupBox(context_.caption("Tray"));
    auto* trayLayout = new QGridLayout(trayBox);
    trayLayout->addWidget(nextNormal, 0, 0);
    trayLayout->addWidget(normalImage_, 0, 1);
    trayLayout->addWidget(nextFlash, 1, 0);
    trayLayout->addWidget(flashImage_, 1, 1);
    auto* fontBox = new QGroupBox(context_.caption("FntCol"));
    auto* fontLayout = new QGridLayout(fontBox);
    fontLayout->addWidget(fonts_, 0, 0, 4, 1);
    fontLayout->addWidget(font_, 0, 1);
    fontLayout->addWidget(colour, 1, 1);
    fontLayout->addWidget(swatch_, 2, 1, Qt::AlignHCenter);
    fontLayout->setRowStretch(3, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(languageBox);
    left->addWidget(genderBox);
    left->addWidget(tabBox);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(fontBox);
    right->addWidget(trayBox);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
}

void OptionsViewPage::applyLanguage() {
    // With no entry chosen there is nothing to change to: the language stays as it is rather
    // than being cleared.
    const int chosen = language_->currentIndex();
    if (chosen < 0) {
        return;
    }
    const std::string& language = languages_[static_cast<std::size_t>(chosen)];
    if (language != languageAtOpening_) {
        context_.seams.settingsFile.writeText("Language", "ini", language);
        context_.restart = true;
    }
}

void OptionsViewPage::applyTabStyle() {
    if (chosenTab_ != tabAtOpening_) {
        context_.seams.settingsFile.writeInt("View", "Tab", chosenTab_);
    }
}

void OptionsViewPage::applyGender() {
    context_.seams.settingsFile.writeText("Nicks", "Gender",
                                          std::string(1, context_.seams.settings.nicks.gender));
}

void OptionsViewPage::applyTrayIcons() {
    OptionsSeams& seams = context_.seams;
    IconSettings& icons = seams.settings.icon;
    if (normalIcon_ != icons.normal) {
        icons.normal = normalIcon_;
        seams.settingsFile.writeInt("Icon", "Normal", normalIcon_);
        seams.host.trayIconChanged();
    }
    if (flashIcon_ != icons.flash) {
        icons.flash = flashIcon_;
        seams.settingsFile.writeInt("Icon", "Flash", flashIcon_);
    }
}

void OptionsViewPage::entrySelected() {
    const int entry = fonts_->currentRow();
    font_->setEnabled(entry >= 0 && entry < kFontStyleCount);
    showSwatch(entry);
}

std::int32_t OptionsViewPage::entryColour(int entry) const {
    const Settings& settings = context_.seams.settings;
    if (entry == kBackgroundEntry) {
        return settings.view.color11;
    }
    if (entry == kCommandLineEntry) {
        return settings.view.color12;
    }
    return settings.fonts[static_cast<std::size_t>(entry)].colour;
}

void OptionsViewPage::showSwatch(int entry) {
    if (entry < 0) {
        return;
    }
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, toQColor(entryColour(entry), this->palette()));
    swatch_->setPalette(palette);
}

void OptionsViewPage::showTrayImage(QLabel* label, int index) {
    label->setPixmap(context_.seams.host.trayImage(std::clamp(index, 0, kLastTrayImage))
                         .pixmap(kTrayImageSize, kTrayImageSize));
}

void OptionsViewPage::chooseFont() {
    fontPressed_();
    const int entry = fonts_->currentRow();
    if (entry < 0 || entry >= kFontStyleCount) {
        return;
    }
    OptionsSeams& seams = context_.seams;
    FontStyle& style = seams.settings.fonts[static_cast<std::size_t>(entry)];
    QFont initial(context_.toUi(style.name));
    if (pointSize(style.height) > 0) {
        initial.setPointSize(pointSize(style.height));
    }
    initial.setBold(style.bold);
    initial.setItalic(style.italic);
    if (const std::optional<QFont> chosen = seams.choosers.chooseFont(this, initial)) {
        style.name = context_.toAnsi(chosen->family());
        // A chooser that answers in pixels leaves the height as it was.
        if (chosen->pointSize() > 0) {
            style.height = chosen->pointSize() * 10;
        }
        style.bold = chosen->bold();
        style.italic = chosen->italic();
        const int i = entry + 1;
        const common::ProfileFile& file = seams.settingsFile;
        file.writeInt("Fonts", numbered("Color", i), style.colour);
        file.writeInt("Fonts", numbered("Height", i), style.height);
        file.writeText("Fonts", numbered("Name", i), style.name);
        file.writeText("Fonts", numbered("Bold", i), style.bold ? "1" : "0");
        file.writeText("Fonts", numbered("Italic", i), style.italic ? "1" : "0");
        seams.host.appearanceChanged();
    }
    showSwatch(entry);
}

void OptionsViewPage::chooseColour() {
    const int entry = fonts_->currentRow();
    if (entry < 0) {
        return;
    }
    OptionsSeams& seams = context_.seams;
    const std::optional<QColor> chosen =
        seams.choosers.chooseColour(this, toQColor(entryColour(entry), palette()));
    if (chosen) {
        const std::int32_t value = toColourValue(*chosen);
        Settings& settings = seams.settings;
        if (entry < kFontStyleCount) {
            settings.fonts[static_cast<std::size_t>(entry)].colour = value;
            seams.settingsFile.writeInt("Fonts", numbered("Color", entry + 1), value);
        } else {
            (entry == kBackgroundEntry ? settings.view.color11 : settings.view.color12) = value;
            seams.settingsFile.writeInt("View", "Color11", settings.view.color11);
            seams.settingsFile.writeInt("View", "Color12", settings.view.color12);
            context_.restart = true;
        }
        seams.host.appearanceChanged();
    }
    showSwatch(entry);
}

} // namespace natterby::settings
