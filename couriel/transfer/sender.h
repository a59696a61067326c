#pragma once

#include "common/ansi.h"
#include "couriel/socket/tcpclient.h"
#include "couriel/transfer/filestream.h"
#include "couriel/transfer/pauses.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/transferview.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace couriel {

// The sending side of a transfer: connects to the receiver, announces the selected files one
// by one from the last, streams each once the receiver has answered, and ends with the end
// mark.
//
// A file that a header cannot carry (2 GiB or more, or a name the code page lacks) or that
// cannot be read is left behind and named in the status line, and the program then stays
// open at the end. When the connection breaks, or a file turns out shorter than announced, or
// the receiver stops acknowledging the data for ten minutes, the transfer stops: the end text
// is never shown for files that did not arrive.
class Sender {
public:
    Sender(TransferView& view, TransferTexts texts, common::CodePage codePage,
           std::unique_ptr<Pauses> pauses, MessageEvent showMessage,
           std::uint16_t port = kTransferPort);

    // Send pressed: connects to the receiver's dotted address. The files are taken from the
    // folder when the connection is made.
    void start(std::filesystem::path folder, std::string address);

    TcpClient& client() { return client_; }

private:
    enum class State {
        Idle,
        Connecting,
        AwaitingGoAhead,
        Starting,
        Sending,
        Pausing,
        Done,
        Stopped
    };

    void onConnect();
    void onData(std::string_view chunk);
    void onSendProgress();
    void onDisconnect();
    // Announces the last file of the list that can go, or ends when none is left.
    void announceNext();
    void handedOver();
    void finish();
    void closeWhenSent();
    // Whether the connection is still there; the transfer stops when it is not.
    bool stillConnected();
    void leaveBehind(const std::filesystem::path& relative);

    TransferView& view_;
    const TransferTexts texts_;
    const common::CodePage codePage_;
    std::unique_ptr<Pauses> pauses_;
    const std::uint16_t port_;
    State state_ = State::Idle;
    std::filesystem::path folder_;
    // The last one is the file in transit.
    std::vector<std::filesystem::path> files_;
    // Declared before the client, which sends from it and so must go first.
    std::unique_ptr<FileStream> file_;
    std::int32_t size_ = 0;
    std::vector<std::string> leftBehind_;
    GoAheadReader goAheads_;
    TcpClient client_;
};

} // namespace couriel
