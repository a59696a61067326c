#include "natterby/options/optionssoundpage.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace natterby::settings {

OptionsSoundPage::OptionsSoundPage(OptionsContext& context) : context_(context) {
    const char* labels[kSoundSlotCount] = {"MesSound", "ConSound", "ChLine", "StartChat", "Beeper"};
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(context_.caption("SoundDev1")), 0, 2, Qt::AlignLeft);
    layout->addWidget(new QLabel(context_.caption("SoundDev2")), 0, 2, Qt::AlignRight);
    for (int i = 0; i < kSoundSlotCount; ++i) {
        const SoundSlot& slot = context_.seams.settings.sounds[static_cast<std::size_t>(i)];
        Row& row = rows_[static_cast<std::size_t>(i)];
        row.file = new QLineEdit(context_.toUi(slot.s));
        row.file->setObjectName(QStringLiteral("soundFile%1").arg(i + 1));
        auto* browse = new QPushButton(QStringLiteral("..."));
        browse->setObjectName(QStringLiteral("soundBrowse%1").arg(i + 1));
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, &row] { chooseFile(row); });

        // Each row's pair is a group of its own. A PC value other than "0" and "1" selects
        // neither button.
        auto* frame = new QFrame;
        frame->setFrameShape(QFrame::StyledPanel);
        auto* choice = new QHBoxLayout(frame);
        auto* group = new QButtonGroup(frame);
        row.playFile = new QRadioButton;
        row.playFile->setObjectName(QStringLiteral("playFile%1").arg(i + 1));
        row.speaker = new QRadioButton;
        row.speaker->setObjectName(QStringLiteral("speaker%1").arg(i + 1));
        group->addButton(row.playFile);
        group->addButton(row.speaker);
        row.playFile->setChecked(slot.pc == "0");
        row.speaker->setChecked(slot.pc == "1");
        choice->addWidget(row.playFile);
        choice->addStretch();
        choice->addWidget(row.speaker);

        layout->addWidget(new QLabel(context_.caption(labels[i])), i + 1, 0);
        layout->addWidget(row.file, i + 1, 1);
        layout->addWidget(browse, i + 1, 3);
        layout->addWidget(frame, i + 1, 2);
    }
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(kSoundSlotCount + 1, 1);
}

void OptionsSoundPage::chooseFile(Row& row) {
    if (const std::optional<QString> file =
            context_.seams.choosers.chooseSoundFile(this, row.file->text())) {
        row.file->setText(*file);
    }
}

void OptionsSoundPage::apply() {
    OptionsSeams& seams = context_.seams;
    for (int i = 0; i < kSoundSlotCount; ++i) {
        SoundSlot& slot = seams.settings.sounds[static_cast<std::size_t>(i)];
        const Row& row = rows_[static_cast<std::size_t>(i)];
        const std::string number = std::to_string(i + 1);
        const std::string file = context_.toAnsi(row.file->text());
        if (file != slot.s) {
            slot.s = file;
            seams.settingsFile.writeText("Sounds", "S" + number, file);
        }
        slot.pc = row.playFile->isChecked() ? "0" : "1";
        seams.settingsFile.writeText("Sounds", "PC" + number, slot.pc);
    }
}

} // namespace natterby::settings
