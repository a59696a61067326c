#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;
class QToolButton;

namespace couriel {

// The current folder, which the user may type over or pick with the folder chooser.
class FolderBox : public QWidget {
public:
    explicit FolderBox(QWidget* parent = nullptr);

    void showFolder(const std::string& folder);

    // A folder was typed (Enter) or chosen, in the file system's encoding.
    std::function<void(const std::string& folder)> onFolderChosen;

private:
    void choose();

    QLineEdit* edit_;
    QToolButton* chooser_;
    std::string folder_;
};

} // namespace couriel
