#pragma once

#include "natterby/options/optionscontext.h"

#include <QWidget>
#include <string>

class QLineEdit;
class QListWidget;

namespace natterby::settings {

// Page Ignore: the nicks whose channel lines are not shown, and those whose private messages
// are dropped.
class OptionsIgnorePage : public QWidget {
public:
    explicit OptionsIgnorePage(OptionsContext& context);

    // Puts a nick into the field from which it is added to either list.
    void setNick(const std::string& nick);
    // Both lists become the running ones and are written, changed or not.
    void apply();

private:
    void add(QListWidget* list);

    OptionsContext& context_;
    QLineEdit* nick_;
    QListWidget* channels_;
    QListWidget* messages_;
};

} // namespace natterby::settings
