#pragma once

#include "common/ansi.h"
#include "common/profile.h"
#include "couriel/program/chatlink.h"
#include "couriel/program/commandline.h"
#include "couriel/program/exchangetexts.h"
#include "couriel/program/folders.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/transferview.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"

#include <QWidget>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace couriel {

class DriveBox;
class FileBrowser;
class FolderBox;
class Receiver;
class Sender;

// What the exchange window works with.
struct ExchangeContext {
    // Holds Interf.ini and the language files; ends in '/'.
    std::string programFolder;
    common::CodePage codePage;
    const platform::HostInfo& host;
    platform::Launcher& launcher;
    ChatLink& chat;
    // The roots of the drives the drive box offers (mountedDrives()).
    std::vector<std::string> drives;
    std::uint16_t port = kTransferPort;
};

// Couriel's one window: a file browser with its drive and folder boxes, the Ready and Send
// buttons, a progress bar and a status line. The receiving side picks the folder the files go
// to and presses Ready; the sending side selects files and folders and presses Send once the
// chat has passed it the receiver's address. The transfer itself is the Sender's or the
// Receiver's; the window shows it.
class ExchangeWindow final : public QWidget, private TransferView {
public:
    // Loads the settings and texts and tells the chat where this window is (notice 225).
    // Without a side the window closes again as soon as the event loop runs.
    ExchangeWindow(ExchangeContext context, Side side, QWidget* parent = nullptr);
    ~ExchangeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* buildTopStrip();
    QWidget* buildBottomStrip();
    void loadStart();

    void goTo(const std::string& folder);
    void folderShown();
    void chooseDrive(int index);
    void goToRoot();
    void enableChoice(bool enabled);
    void ready();
    void addressComplete();
    void send();

    void showStatus(const std::string& text) override;
    void showProgress(int percent) override;
    std::vector<std::string> takeSelection() override;
    void askToContinue(const std::string& question, std::function<void(bool)> answer) override;
    void transferOver() override;
    void closeProgram() override;

    void showMessage(const std::string& text);
    QString widgetText(std::string_view ansi) const;
    common::ProfileFile settingsFile() const;

    ExchangeContext context_;
    const Side side_;
    ExchangeTexts texts_;
    LastFolders lastFolders_;
    bool closed_ = false;

    DriveBox* drives_ = nullptr;
    FolderBox* folderBox_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* root_ = nullptr;
    FileBrowser* browser_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* ready_ = nullptr;
    QPushButton* send_ = nullptr;
    QLabel* status_ = nullptr;

    std::unique_ptr<Receiver> receiver_;
    std::unique_ptr<Sender> sender_;
};

} // namespace couriel
