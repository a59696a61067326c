#include "natterby/options/optionschoosers.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace natterby::settings {

SystemChoosers::SystemChoosers() {
    customColours_.fill(Qt::white);
}

std::optional<QFont> SystemChoosers::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return font;
}

std::optional<QColor> SystemChoosers::chooseColour(QWidget* parent, const QColor& initial) {
    // Qt keeps one set of custom colours for the whole program; this dialog's own are put in
    // for the moment and taken back afterwards.
    for (int i = 0; i < static_cast<int>(customColours_.size()); ++i) {
        QColorDialog::setCustomColor(i, customColours_[static_cast<std::size_t>(i)]);
    }
    const QColor colour = QColorDialog::getColor(initial, parent);
    for (int i = 0; i < static_cast<int>(customColours_.size()); ++i) {
        customColours_[static_cast<std::size_t>(i)] = QColorDialog::customColor(i);
    }
    if (!colour.isValid()) {
        return std::nullopt;
    }
    return colour;
}

std::optional<QString> SystemChoosers::chooseFolder(QWidget* parent, const QString& initial) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), initial);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

std::optional<QString> SystemChoosers::chooseSoundFile(QWidget* parent, const QString& initial) {
    const QString file =
        QFileDialog::getOpenFileName(parent, QString(), initial, QStringLiteral("Sound (*.wav)"));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return file;
}

} // namespace natterby::settings
