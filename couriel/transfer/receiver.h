#pragma once

#include "common/ansi.h"
#include "couriel/socket/tcpserver.h"
#include "couriel/transfer/partfile.h"
#include "couriel/transfer/pauses.h"
#include "couriel/transfer/streamreader.h"
#include "couriel/transfer/transferview.h"
#include "platform/hostinfo.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace couriel {

// The receiving side of a transfer: listens, answers each file header, writes exactly the
// announced number of bytes into the file, and ends on the end mark.
//
// It serves one sender at a time. A received name never leads outside the folder: a file
// whose name would, or that cannot be written, is named in the status line and its data is
// taken and dropped, so that the files after it still arrive; the program then stays open at
// the end.
class Receiver {
public:
    Receiver(TransferView& view, TransferTexts texts, common::CodePage codePage,
             const platform::HostInfo& host, std::unique_ptr<Pauses> pauses,
             MessageEvent showMessage, std::uint16_t port = kTransferPort);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Ready pressed: listens; the files go below the folder.
    void start(std::filesystem::path folder);

    TcpServer& server() { return server_; }

private:
    // What the socket moves a file's data into.
    class FileData;

    bool onClientConnect(const std::string& address);
    void onData(TcpClient& sender, std::string_view chunk);
    void onDisconnect();
    // Handles what the reader has, until it needs more bytes or waits for an answer.
    void process();
    void onHeader(const StreamReader::Header& header);
    void onAnswer(bool yes);
    // Opens the file and answers the header; a file that cannot be opened is left behind,
    // and its data dropped.
    void receiveInto(const std::filesystem::path& relative);
    // Once the reader has passed on every byte that came with a file's header, the rest of the
    // file's data goes from the socket to the file in reads that end where the file does.
    void receiveRestOfFile();
    void onFileData(std::string_view bytes);
    // Bytes of the file's data taken from the connection, of which written reached the file.
    void onFileData(std::size_t taken, std::size_t written);
    void onFileEnd();
    void onEnd();
    void leaveBehind();

    TransferView& view_;
    const TransferTexts texts_;
    const common::CodePage codePage_;
    const platform::HostInfo& host_;
    std::unique_ptr<Pauses> pauses_;
    const std::uint16_t port_;
    std::filesystem::path folder_;

    // The connection being served, and the number of the connection, so that an answer that
    // comes after its connection has gone is dropped.
    TcpClient* client_ = nullptr;
    int connection_ = 0;
    bool connected_ = false;
    StreamReader reader_;
    bool processing_ = false;
    bool asking_ = false;
    bool ended_ = false;

    // The file in transit: its name as received, the path it goes to, and the bytes so far.
    // A file that did not come whole still takes its name when the connection breaks or the
    // window closes, as far as it came.
    std::string name_;
    std::filesystem::path target_;
    std::int32_t size_ = 0;
    std::int64_t received_ = 0;
    std::unique_ptr<PartFile> file_;

    std::vector<std::string> leftBehind_;
    std::shared_ptr<bool> alive_;
    TcpServer server_;
};

} // namespace couriel
