#include "couriel/window/folderbox.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace couriel {

FolderBox::FolderBox(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit), chooser_(new QToolButton) {
    edit_->setObjectName(QStringLiteral("folderEdit"));
    chooser_->setObjectName(QStringLiteral("folderChooser"));
    chooser_->setText(QStringLiteral("..."));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(edit_, 1);
    layout->addWidget(chooser_);
    connect(edit_, &QLineEdit::returnPressed, this, [this] {
        const std::string typed = QFile::encodeName(edit_->text()).toStdString();
        // What the browser cannot open leaves the box showing the folder it is in.
        edit_->setText(QFile::decodeName(folder_.c_str()));
        if (onFolderChosen && !typed.empty()) {
            onFolderChosen(typed);
        }
    });
    connect(chooser_, &QToolButton::clicked, this, &FolderBox::choose);
}

void FolderBox::showFolder(const std::string& folder) {
    folder_ = folder;
    edit_->setText(QFile::decodeName(folder.c_str()));
}

void FolderBox::choose() {
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder:"),
                                                             QFile::decodeName(folder_.c_str()));
    if (!chosen.isEmpty() && onFolderChosen) {
        onFolderChosen(QFile::encodeName(chosen).toStdString());
    }
}

} // namespace couriel
