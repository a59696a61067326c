#pragma once

#include "natterby/options/optionscontext.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace natterby::settings {

// Page Net: the transport with its socket, port and address, the refresh mode and the remote
// execution password.
class OptionsNetPage : public QWidget {
public:
    explicit OptionsNetPage(OptionsContext& context);

    // The OK steps of this page, in the order the dialog calls them.
    void applySincron();
    // Transport, socket, port and address: written when they differ from the ones in use, for
    // the next start.
    void applyTransport();
    void applyPassword();

private:
    void enableFields();

    OptionsContext& context_;
    QRadioButton* ipx_;
    QLineEdit* ipxSocket_;
    QLineEdit* udpPort_;
    QLineEdit* udpAddress_;
    QCheckBox* sincron_;
    QLineEdit* password_;
};

} // namespace natterby::settings
