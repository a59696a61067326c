#include "natterby/mainwindow/macromenu.h"

#include "natterby/protocol/macros.h"

namespace natterby::mainwindow {

namespace {

constexpr std::array<const char*, 3> kCommandCaptions = {"/me \tCtrl+F1", "/nick \tCtrl+F2",
                                                         "/topic \tCtrl+F3"};

QKeySequence functionKey(Qt::KeyboardModifiers modifiers, int n) {
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(Qt::Key_F1 + n - 1)));
}

// A caption is the user's text: an ampersand in it is not a menu mnemonic.
QString menuText(const common::CodePage& codePage, const std::string& caption) {
    return QString::fromStdString(codePage.toUtf8(caption))
        .replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

MacroMenu::MacroMenu(const common::CodePage& codePage, QWidget* parent)
    : QMenu(parent), codePage_(codePage), record_(new QMenu(this)) {
    for (int n = 1; n <= kCount; ++n) {
        captions_[static_cast<std::size_t>(n - 1)] = protocol::macroCaption(n, "");
        QAction* entry = addAction(QString());
        entry->setShortcut(functionKey(Qt::ShiftModifier, n));
        connect(entry, &QAction::triggered, this, [this, n] {
            emit insertRequested(protocol::macroText(captions_[static_cast<std::size_t>(n - 1)]));
        });
        macros_[static_cast<std::size_t>(n - 1)] = entry;
    }
    for (std::size_t i = 0; i < commands_.size(); ++i) {
        const std::string caption = kCommandCaptions[i];
        QAction* entry = addAction(menuText(codePage_, caption));
        entry->setShortcut(functionKey(Qt::ControlModifier, static_cast<int>(i) + 1));
        connect(entry, &QAction::triggered, this,
                [this, caption] { emit insertRequested(protocol::macroText(caption)); });
        commands_[i] = entry;
    }
    addMenu(record_);
    for (int n = 1; n <= kCount; ++n) {
        QAction* entry = record_->addAction(QStringLiteral(" \tCtrl+Shift+F%1").arg(n));
        entry->setShortcut(functionKey(Qt::ControlModifier | Qt::ShiftModifier, n));
        connect(entry, &QAction::triggered, this, [this, n] { emit recordRequested(n); });
        records_[static_cast<std::size_t>(n - 1)] = entry;
    }
    setCaptions({}, "Record string");
}

void MacroMenu::setCaptions(const std::vector<std::string>& macroCaptions,
                            const std::string& recordCaption) {
    for (int n = 1; n <= kCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        setMacroCaption(n, i < macroCaptions.size() ? macroCaptions[i]
                                                    : protocol::macroCaption(n, ""));
    }
    record_->setTitle(menuText(codePage_, recordCaption));
}

void MacroMenu::setMacroCaption(int n, const std::string& caption) {
    if (n < 1 || n > kCount) {
        return;
    }
    const auto i = static_cast<std::size_t>(n - 1);
    captions_[i] = caption;
    macros_[i]->setText(menuText(codePage_, caption));
}

QList<QAction*> MacroMenu::hotkeyActions() const {
    QList<QAction*> actions(macros_.begin(), macros_.end());
    actions.append(QList<QAction*>(commands_.begin(), commands_.end()));
    actions.append(QList<QAction*>(records_.begin(), records_.end()));
    return actions;
}

} // namespace natterby::mainwindow
