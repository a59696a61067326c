#include "natterby/inputdialog/inputdialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace natterby::windows {

namespace {

constexpr QRect kField{12, 16, 433, 25};
constexpr QSize kClient{457, 81};
constexpr int kButtonStrip = 32;

} // namespace

InputDialog::InputDialog(const common::CodePage& codePage, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      codePage_(codePage), box_(new QLineEdit(this)), list_(new QComboBox(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setFixedSize(kClient);
    move(209, 178);

    QFont boxFont = box_->font();
    boxFont.setPixelSize(20);
    box_->setFont(boxFont);
    box_->setGeometry(kField);

    list_->setEditable(true);
    // Typed texts are the caller's to store; the list must not grow by itself.
    list_->setInsertPolicy(QComboBox::NoInsert);
    list_->setGeometry(kField);
    connect(list_, &QComboBox::activated, this, [this](int index) { chosen_ = index + 1; });

    const int strip = kClient.height() - kButtonStrip;
    ok_->setGeometry(240, strip + 4, 93, 21);
    cancel_->setGeometry(340, strip + 4, 89, 21);
    QFont bold = ok_->font();
    bold.setBold(true);
    ok_->setFont(bold);
    // Enter anywhere in the dialog is OK; Escape is QDialog's own reject.
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(kCancel); });

    useField(Field::TextBox);
}

void InputDialog::setTitle(const std::string& title) {
    setWindowTitle(QString::fromStdString(codePage_.toUtf8(title)));
}

void InputDialog::setButtonCaptions(const std::string& ok, const std::string& cancel) {
    ok_->setText(QString::fromStdString(codePage_.toUtf8(ok)));
    cancel_->setText(QString::fromStdString(codePage_.toUtf8(cancel)));
}

void InputDialog::useField(Field field) {
    field_ = field;
    box_->setVisible(field == Field::TextBox);
    list_->setVisible(field == Field::List);
    setFocusProxy(field == Field::TextBox ? static_cast<QWidget*>(box_) : list_);
}

void InputDialog::setEntries(const std::vector<std::string>& entries) {
    const QString kept = list_->currentText();
    list_->clear();
    for (const std::string& entry : entries) {
        list_->addItem(QString::fromStdString(codePage_.toUtf8(entry)));
    }
    list_->setEditText(kept);
    chosen_ = 0;
}

void InputDialog::setText(const std::string& text, bool selected) {
    const QString shown = QString::fromStdString(codePage_.toUtf8(text));
    QLineEdit* edit = field_ == Field::TextBox ? box_ : list_->lineEdit();
    edit->setText(shown);
    if (selected) {
        edit->selectAll();
    }
}

std::string InputDialog::text() const {
    const QString shown = field_ == Field::TextBox ? box_->text() : list_->currentText();
    return codePage_.fromUtf8(shown.toStdString());
}

int InputDialog::run() {
    focusProxy()->setFocus();
    // QDialog reports Escape and the close box as 0 (Rejected).
    return exec() == kOk ? kOk : kCancel;
}

} // namespace natterby::windows
