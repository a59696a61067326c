#pragma once

#include "couriel/socket/stream.h"
#include "couriel/socket/tcpsocket.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace couriel {

// One TCP connection: made by Connect to a dotted IPv4 address, or accepted by a TcpServer
// (ServerClient). It can push a whole stream in chunks paced by the socket's write readiness;
// what arrives goes to OnData.
class TcpClient : public TcpSocket {
public:
    using ClientEvent = std::function<void(TcpClient& sender)>;
    // One read's bytes, whatever the peer's sends were: no message boundaries are kept.
    using DataEvent = std::function<void(TcpClient& sender, std::string_view chunk)>;

    // The most bytes one read or one send moves.
    static constexpr std::size_t kChunkSize = 4096;

    explicit TcpClient(MessageEvent showMessage);
    ~TcpClient() override;

    void setHost(std::string host) { host_ = std::move(host); }

    // Starts a connection to host and port; OnConnect follows when it is made, an error
    // report when it fails. A host that is no dotted address (and 255.255.255.255) fails at
    // once and no connection is tried.
    virtual void Connect();

    // A short message. What the socket cannot take now goes out before anything else as soon
    // as it can; on a closed socket the text is lost.
    void SendText(std::string_view text);

    // Sends the stream from its position on; the caller keeps it alive until the send has
    // ended. Returns false and changes nothing while a send is running.
    bool SendStream(Stream& stream);
    // One pass of pushing the send stream, until the socket would block or the stream ends;
    // then OnSendProgress. False when there is nothing to push or no connection.
    bool ContinueSend();

    // Some text given to SendText still waits for room in the socket.
    bool hasUnsentText() const { return !unsentText_.empty(); }
    bool IsSending() const { return send_ != nullptr; }

    ClientEvent OnConnect;
    DataEvent OnData;
    // After every pass of pushing the send stream, and when the send ends.
    ClientEvent OnSendProgress;

protected:
    void handleEvent(platform::StreamEvent event, int error) override;

private:
    // Whether no text waits to be sent any more.
    bool flushText();
    void readChunk();

    std::string host_;
    Stream* send_ = nullptr;
    std::string unsentText_;
    std::array<char, kChunkSize> buffer_{};
};

} // namespace couriel
