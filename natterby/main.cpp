// The chat program: builds the objects the main window and its session work through, in the
// order their references need, and runs the event loop.
#include "common/ansi.h"
#include "common/profile.h"
#include "natterby/mainwindow/mainwindow.h"
#include "natterby/mainwindow/soundplayer.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/settings/settings.h"
#include "natterby/settings/sounds.h"
#include "platform/clock.h"
#include "platform/exitsignals.h"
#include "platform/hostinfo.h"
#include "platform/keyboard.h"
#include "platform/launcher.h"
#include "platform/messagefolder.h"
#include "platform/programfolder.h"
#include "platform/sound.h"

#include <QApplication>
#include <random>

int main(int argc, char** argv) {
    using namespace natterby;
    QApplication application(argc, argv);
    // The window hides into the tray instead of closing; only the close steps end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // The folder the executables are in, and the folder this user's files are kept in.
    const platform::ProgramFolders folders = platform::programFolders();
    const std::string& folder = folders.own;
    const common::CodePage codePage = common::CodePage::fromEnvironment();
    const common::ProfileFile settingsFile(settings::settingsFilePath(folder));
    settings::Settings settings;
    protocol::ChatTexts texts;

    platform::SystemHostInfo host;
    platform::SystemLauncher launcher;
    platform::SystemClock clock;
    platform::AlsaOutput audio;
    const settings::Sounds sounds(settings.sounds, audio, &platform::decodeWaveFile);
    mainwindow::SoundPlayer sound(sounds);

    std::mt19937 random{std::random_device{}()};
    const auto below = [&random](int bound) {
        return bound <= 1 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(random);
    };

    mainwindow::MainWindow window(
        {{settings, settingsFile, texts, sound, launcher, host, clock, below, codePage, folder,
          folders.package, platform::messageFolder()},
         &platform::switchToNextKeyboardLayout});
    window.start();
    // A logout or a kill closes the chat as its exit button does, so that no peer keeps a ghost.
    // Taken once the start is over: the close steps need the chat core it makes.
    const platform::ExitSignals exitSignals([&window] { window.closeProgram(); });
    return application.exec();
}
