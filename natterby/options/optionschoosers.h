#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <optional>

class QWidget;

namespace natterby::settings {

// The system's choosers the options dialog opens; nothing when the user cancels.
class OptionsChoosers {
public:
    virtual ~OptionsChoosers() = default;

    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) = 0;
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& initial) = 0;
    // A wave file, by its full name.
    virtual std::optional<QString> chooseSoundFile(QWidget* parent, const QString& initial) = 0;
};

// Qt's own choosers. Made with each options dialog, so that the sixteen custom colours the user
// mixes last as long as that dialog and no longer.
class SystemChoosers final : public OptionsChoosers {
public:
    SystemChoosers();

    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& initial) override;
    std::optional<QString> chooseSoundFile(QWidget* parent, const QString& initial) override;

private:
    std::array<QColor, 16> customColours_;
};

} // namespace natterby::settings
