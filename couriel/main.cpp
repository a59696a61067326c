#include "common/ansi.h"
#include "couriel/program/chatlink.h"
#include "couriel/program/commandline.h"
#include "couriel/window/drivebox.h"
#include "couriel/window/exchangewindow.h"
#include "platform/exitsignals.h"
#include "platform/hostinfo.h"
#include "platform/launcher.h"
#include "platform/messagefolder.h"
#include "platform/programfolder.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Couriel"));
    // A logout or a kill closes the window as its user would, so that the chat hears 222 and
    // takes offers again. Taken from the start: the chat may be told of this copy, and end it,
    // before the window is up.
    const platform::ExitSignals exitSignals(&QApplication::closeAllWindows);
    // QApplication has taken its own options out of the arguments by now.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const couriel::CommandLine commandLine = couriel::parseCommandLine(arguments);

    platform::SystemHostInfo host;
    platform::SystemLauncher launcher;
    couriel::ChatLink chat(platform::messageFolder(), commandLine.chatWindow);
    couriel::ExchangeWindow window({platform::programFolders().own,
                                    common::CodePage::fromEnvironment(), host, launcher, chat,
                                    couriel::mountedDrives()},
                                   commandLine.side);
    window.show();
    return application.exec();
}
