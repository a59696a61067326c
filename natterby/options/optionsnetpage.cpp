#include "natterby/options/optionsnetpage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <charconv>

namespace natterby::settings {

namespace {

std::string hexText(std::uint16_t value) {
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, 16);
    return std::string(digits, result.ptr);
}

} // namespace

OptionsNetPage::OptionsNetPage(OptionsContext& context) : context_(context) {
    const OptionsSeams& seams = context_.seams;
    const NetSettings& net = seams.settings.net;
    // The three fields show the file as it is now, which may already differ from what runs.
    // A missing key shows the value the program would start with.
    const NetSettings builtIn;
    const common::ProfileFile& file = seams.settingsFile;
    const auto field = [&](std::string_view key, const std::string& defaultValue,
                           const char* name) {
        auto* edit = new QLineEdit(context_.toUi(file.readText("Net", key, defaultValue)));
        edit->setObjectName(QLatin1String(name));
        return edit;
    };

    sincron_ = new QCheckBox(context_.caption("Syncron"));
    sincron_->setObjectName(QStringLiteral("sincron"));
    sincron_->setChecked(net.sincron);
    ipx_ = new QRadioButton(QStringLiteral(" IPX"));
    ipx_->setObjectName(QStringLiteral("ipx"));
    auto* udp = new QRadioButton(QStringLiteral(" UDP"));
    udp->setObjectName(QStringLiteral("udp"));
    (net.ipx ? ipx_ : udp)->setChecked(true);
    ipxSocket_ = field("IPXSocket", hexText(builtIn.ipxSocket), "ipxSocket");
    udpPort_ = field("UDPPort", std::to_string(builtIn.udpPort), "udpPort");
    udpAddress_ = field("UDPAdress", builtIn.udpAdress, "udpAddress");
    enableFields();
    connect(ipx_, &QRadioButton::toggled, this, [this] { enableFields(); });
    password_ = new QLineEdit(context_.toUi(seams.settings.execute.password));
    password_->setObjectName(QStringLiteral("password"));

    auto* ipxFields = new QFormLayout;
    ipxFields->addRow(context_.caption("IPXSocket"), ipxSocket_);
    auto* udpFields = new QFormLayout;
    udpFields->addRow(context_.caption("UDPPort"), udpPort_);
    udpFields->addRow(context_.caption("Broadcast"), udpAddress_);
    auto* passwordField = new QFormLayout;
    passwordField->addRow(context_.caption("Pass"), password_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ipx_);
    layout->addLayout(ipxFields);
    layout->addWidget(udp);
    layout->addLayout(udpFields);
    layout->addWidget(sincron_);
    layout->addLayout(passwordField);
    layout->addStretch();
}

void OptionsNetPage::enableFields() {
    const bool ipx = ipx_->isChecked();
    ipxSocket_->setEnabled(ipx);
    udpPort_->setEnabled(!ipx);
    udpAddress_->setEnabled(!ipx);
}

void OptionsNetPage::applySincron() {
    NetSettings& net = context_.seams.settings.net;
    if (sincron_->isChecked() != net.sincron) {
        net.sincron = sincron_->isChecked();
        context_.seams.settingsFile.writeText("Net", "Sincron", net.sincron ? "1" : "0");
    }
}

void OptionsNetPage::applyTransport() {
    const NetSettings& net = context_.seams.settings.net;
    const common::ProfileFile& file = context_.seams.settingsFile;
    if (ipx_->isChecked() != net.ipx) {
        file.writeText("Net", "IPX", ipx_->isChecked() ? "true" : "false");
        context_.restart = true;
    }
    const std::string socket = context_.toAnsi(ipxSocket_->text());
    if (common::parseHex(socket) != net.ipxSocket) {
        file.writeText("Net", "IPXSocket", socket);
        context_.restart = true;
    }
    const std::string port = context_.toAnsi(udpPort_->text());
    if (common::parseInt(port) != net.udpPort) {
        file.writeText("Net", "UDPPort", port);
        context_.restart = true;
    }
    const std::string address = context_.toAnsi(udpAddress_->text());
    if (address != net.udpAdress) {
        file.writeText("Net", "UDPAdress", address);
        context_.restart = true;
    }
}

void OptionsNetPage::applyPassword() {
    ExecuteSettings& execute = context_.seams.settings.execute;
    const std::string password = context_.toAnsi(password_->text());
    if (password != execute.password) {
        execute.password = password;
        context_.seams.settingsFile.writeText("Execute", "Password", password);
    }
}

} // namespace natterby::settings
