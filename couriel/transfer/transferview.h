#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace couriel {

// The texts a transfer shows, in the ANSI code page. The window fills the first three from the
// language file; the defaults are the built-in ones.
struct TransferTexts {
    // Followed by the sender's address on the receiving side.
    std::string connectTo = "Connect to ";
    std::string disconnect = "Disconnect";
    std::string notSpace = "Small space, continue?";
    // Followed by the names of the files that stayed behind.
    std::string notSent = "Not sent: ";
    std::string notReceived = "Not received: ";
};

// What the window does for a transfer. Texts are in the ANSI code page; file names that come
// from the window are in the file system's encoding.
class TransferView {
public:
    virtual ~TransferView() = default;

    virtual void showStatus(const std::string& text) = 0;
    // The progress bar, 0 to 100.
    virtual void showProgress(int percent) = 0;

    // Sending side, once connected: the names of the entries selected in the browser, in
    // their order on screen, without the parent entry. The window unselects them and disables
    // Send.
    virtual std::vector<std::string> takeSelection() = 0;

    // Receiving side: a yes/no question, answered through answer now or later.
    virtual void askToContinue(const std::string& question, std::function<void(bool)> answer) = 0;

    // The transfer is over: the end text becomes the title and the chat is told (notice 222).
    virtual void transferOver() = 0;
    // After a transfer that left no file behind, a moment after transferOver.
    virtual void closeProgram() = 0;
};

// The progress bar's position for a position in a file: rounded to the nearest whole
// percent, a half to the even one.
int progressPercent(std::int64_t position, std::int64_t size);

// The names of files left behind, for the status line: "a, b, c".
std::string joinedNames(const std::vector<std::string>& names);

} // namespace couriel
