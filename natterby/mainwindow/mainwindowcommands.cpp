// What the chat line, the menus and the buttons do: each turns into operations of the core, or
// into one of the secondary windows.
#include "natterby/inputdialog/inputdialog.h"
#include "natterby/mainwindow/chatline.h"
#include "natterby/mainwindow/macromenu.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/mainwindow/nicklist.h"
#include "natterby/options/optionsdialog.h"
#include "natterby/protocol/autoanswers.h"
#include "natterby/protocol/layoutswap.h"
#include "natterby/protocol/macros.h"
#include "natterby/windows/archivewindow.h"
#include "natterby/windows/massmessagewindow.h"
#include "natterby/windows/privatemessagewindow.h"
#include "natterby/windows/windowcontext.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

namespace natterby::mainwindow {

namespace {

constexpr const char* kHelpFile = "Natterby.hlp";

} // namespace

void MainWindow::enterLine() {
    if (chat().enterLine(ansi(chatLine_->text()))) {
        chatLine_->clear();
    }
}

void MainWindow::escapeLine() {
    if (chatLine_->text().isEmpty()) {
        hideToTray(false);
    } else {
        chatLine_->clear();
    }
}

void MainWindow::swapLayout() {
    if (!chatLine_->hasSelectedText()) {
        chatLine_->selectAll();
    }
    // insert() replaces the selection as one step the user can undo.
    chatLine_->insert(shown(protocol::swapKeyboardLayout(ansi(chatLine_->selectedText()))));
    seams_.nextKeyboardLayout();
}

void MainWindow::insertMacro(const std::string& text) {
    if (text.empty()) {
        return;
    }
    // Inserted at the caret, or at the start of a selection, whose text is kept.
    const std::string line = ansi(chatLine_->text());
    const int start =
        chatLine_->hasSelectedText() ? chatLine_->selectionStart() : chatLine_->cursorPosition();
    const std::string before = ansi(chatLine_->text().left(start));
    const protocol::Insertion inserted = protocol::insertMacro(line, before.size(), text);
    chatLine_->setText(shown(inserted.text));
    chatLine_->setCursorPosition(
        static_cast<int>(shown(std::string_view(inserted.text).substr(0, inserted.caret)).size()));
    chatLine_->setFocus();
}

void MainWindow::recordMacro(int n) {
    const std::optional<std::string> caption = protocol::recordMacro(
        n, ansi(chatLine_->text()), seams_.settingsFile, seams_.programFolder);
    if (caption) {
        menus_.macros->setMacroCaption(n, *caption);
        chatLine_->clear();
    }
}

void MainWindow::pasteLines() {
    QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) {
        return;
    }
    // The lines are cut at CRs, as the Windows clipboard ends them; this desktop's end in LF.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    chat().sendClipboardLines(ansi(text));
}

void MainWindow::chooseStatus(int status) {
    chat().setStatus(static_cast<char>('0' + status));
    showStatus(chat().identity().status);
    const common::ProfileFile language =
        protocol::autoAnswerFile(seams_.settingsFile, seams_.programFolder);
    const protocol::AutoAnswerList list = protocol::loadAutoAnswers(language);

    windows::InputDialog dialog(seams_.codePage, this);
    dialog.setTitle(protocol::autoAnswerCaption(menus_.statusCaption(status)));
    dialog.setButtonCaptions(seams_.texts.get("Buttons", "Okey"),
                             seams_.texts.get("Buttons", "Cancel"));
    dialog.useField(windows::InputDialog::Field::List);
    std::vector<std::string> entries = list.texts;
    entries.emplace_back();
    dialog.setEntries(entries);
    dialog.setText(list.current, false);
    const int result = dialog.run();
    // A signal may have closed the program while the dialog was up: the leaves have gone out
    // and the sockets are shut, so the status goes nowhere.
    if (closing_) {
        return;
    }
    std::optional<std::string> answer;
    if (result == windows::InputDialog::kOk) {
        answer = protocol::acceptAutoAnswer(language, list, dialog.chosenNumber(), dialog.text());
    } else {
        protocol::cancelAutoAnswer(language);
    }
    chat().announceStatus(answer);
}

void MainWindow::changeTopic() {
    const int tab = std::max(tabs_->currentIndex(), 0);
    if (!chat().tabs()[static_cast<std::size_t>(tab)].isChannel()) {
        return;
    }
    windows::InputDialog dialog(seams_.codePage, this);
    dialog.setTitle(menus_.topicCaption());
    dialog.setButtonCaptions(seams_.texts.get("Buttons", "Okey"),
                             seams_.texts.get("Buttons", "Cancel"));
    dialog.useField(windows::InputDialog::Field::TextBox);
    dialog.setText(chat().currentTopic(), true);
    if (dialog.run() == windows::InputDialog::kOk) {
        chat().changeTopic(dialog.text());
    }
}

void MainWindow::showNickMenu(const QPoint& where) {
    const bool nick = selectedNick().has_value();
    for (int entry : {MainMenus::Message, MainMenus::Information, MainMenus::Execute,
                      MainMenus::SendFile, MainMenus::Talk, MainMenus::Ignore}) {
        menus_.nickEntries[static_cast<std::size_t>(entry)]->setVisible(nick);
    }
    menus_.nick->exec(nickList_->viewport()->mapToGlobal(where));
}

void MainWindow::remoteExecute() {
    const std::optional<std::string> nick = selectedNick();
    if (!nick) {
        return;
    }
    windows::InputDialog dialog(seams_.codePage, this);
    dialog.setButtonCaptions(seams_.texts.get("Buttons", "Okey"),
                             seams_.texts.get("Buttons", "Cancel"));
    dialog.useField(windows::InputDialog::Field::TextBox);
    dialog.setTitle(seams_.texts.get("Execute", "Password"));
    if (dialog.run() != windows::InputDialog::kOk) {
        return;
    }
    const std::string password = dialog.text();
    dialog.setText({}, false);
    dialog.setTitle(seams_.texts.get("Execute", "Execute"));
    if (dialog.run() != windows::InputDialog::kOk) {
        return;
    }
    chat().remoteExecute(*nick, dialog.text(), password);
}

void MainWindow::openMessageTo(const std::string& nick) {
    auto* window = new windows::PrivateMessageWindow(windowContext());
    window->writeTo(nick);
}

void MainWindow::openMassMessage() {
    std::vector<std::string> nicks;
    for (const protocol::RosterRow& row : chat().roster().rows()) {
        nicks.push_back(row.nick);
    }
    auto* window = new windows::MassMessageWindow(windowContext(), nicks);
    window->open();
}

void MainWindow::openArchive() {
    auto* window =
        new windows::ArchiveWindow(windowContext(), seams_.programFolder + "Message.txt",
                                   [this](const std::string& text) { return askYesNo(text); });
    window->show();
}

void MainWindow::openOptions(settings::OptionsPage page, const std::optional<std::string>& nick) {
    settings::SystemChoosers choosers;
    settings::OptionsDialog dialog({seams_.settings, seams_.settingsFile, session_.language(),
                                    seams_.codePage, chat(), *this, choosers, seams_.programFolder},
                                   this);
    if (nick) {
        dialog.setIgnoreNick(*nick);
    }
    dialog.showPage(page);
    options_ = &dialog;
    dialog.exec();
    options_ = nullptr;
    if (dialog.restartNeeded()) {
        showMessage(seams_.texts.get("SysMes", "Reload"));
    }
}

void MainWindow::help() {
    const QString path =
        QString::fromStdString(seams_.programFolder) + QString::fromLatin1(kHelpFile);
    if (QFileInfo::exists(path)) {
        seams_.launcher.openWithDefaultAction(path.toStdString());
        return;
    }
    QMessageBox::information(
        this, shown(seams_.texts.programTitle()),
        shown(seams_.texts.programTitle()) +
            QStringLiteral("\n\nA chat for the computers of one local network, without a server."
                           "\nType in the line at the bottom and press Enter; the toolbar opens "
                           "every menu."));
}

std::optional<std::string> MainWindow::selectedNick() const {
    return nickList_->selectedNick();
}

windows::WindowContext MainWindow::windowContext() {
    return {chat(),
            seams_.texts,
            seams_.codePage,
            seams_.settings.position.privateWindow,
            seams_.launcher,
            [this](int index) { return images_.image(index); },
            seams_.nextKeyboardLayout};
}

} // namespace natterby::mainwindow
