#include "natterby/options/optionsdialog.h"

#include "natterby/options/optionschannelspage.h"
#include "natterby/options/optionsignorepage.h"
#include "natterby/options/optionsnetpage.h"
#include "natterby/options/optionssoundpage.h"
#include "natterby/options/optionsviewpage.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace natterby::settings {

namespace {

constexpr int kButtonWidth = 72;

} // namespace

OptionsDialog::OptionsDialog(const OptionsSeams& seams, QWidget* parent)
    : QDialog(parent), context_(seams) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(context_.caption("Options"));

    auto* ok = new QPushButton(context_.caption("Buttons", "Okey"));
    ok->setObjectName(QStringLiteral("ok"));
    ok->setFixedWidth(kButtonWidth);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    cancel_ = new QPushButton(context_.caption("Buttons", "Cancel"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setFixedWidth(kButtonWidth);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // A chosen font is written at once and Cancel cannot take it back, so Cancel no longer
    // pretends to.
    view_ = new OptionsViewPage(context_, [this] { cancel_->setEnabled(false); });
    net_ = new OptionsNetPage(context_);
    ignore_ = new OptionsIgnorePage(context_);
    channels_ = new OptionsChannelsPage(context_);
    sound_ = new OptionsSoundPage(context_);

    pages_ = new QTabWidget;
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->addTab(view_, context_.caption("View"));
    pages_->addTab(net_, context_.caption("Net"));
    pages_->addTab(ignore_, context_.caption("Ignore"));
    pages_->addTab(channels_, context_.caption("Channels"));
    pages_->addTab(sound_, context_.caption("Sound"));

    auto* strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(ok);
    strip->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(strip);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::showPage(OptionsPage page) {
    pages_->setCurrentIndex(static_cast<int>(page));
}

void OptionsDialog::setIgnoreNick(const std::string& nick) {
    ignore_->setNick(nick);
}

void OptionsDialog::addOtherChannels(const std::vector<std::string>& names) {
    if (!closed_) {
        channels_->addOtherChannels(names);
    }
}

void OptionsDialog::accept() {
    view_->applyLanguage();
    view_->applyTabStyle();
    view_->applyGender();
    view_->applyTrayIcons();
    net_->applySincron();
    channels_->applyLogFolder();
    channels_->applyChannelLists();
    net_->applyTransport();
    net_->applyPassword();
    ignore_->apply();
    sound_->apply();
    channels_->applyArchive();
    QDialog::accept();
}

void OptionsDialog::done(int result) {
    closed_ = true;
    QDialog::done(result);
}

} // namespace natterby::settings
