#pragma once

#include "couriel/socket/stream.h"
#include "couriel/socket/tcpsocket.h"

#include <QTimer>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace couriel {

// One TCP connection: made by Connect to a dotted IPv4 address, or accepted by a TcpServer
// (ServerClient). It can push a whole file paced by the socket's write readiness, and
// receive straight into a stream until an expected number of bytes has arrived.
class TcpClient : public TcpSocket {
public:
    using ClientEvent = std::function<void(TcpClient& sender)>;
    // One read's bytes, whatever the peer's sends were: no message boundaries are kept.
    using DataEvent = std::function<void(TcpClient& sender, std::string_view chunk)>;

    // The most bytes one read takes. Large reads move a fast link's data with few system calls;
    // beyond this size the copies no longer fit the processor's caches and get slower.
    static constexpr std::size_t kReadSize = 256 << 10;
    // The most bytes one pass of sending pushes before the event loop has its turn again, for
    // a peer that reads as fast as the socket is filled.
    static constexpr std::size_t kPassSize = 8 << 20;
    // How long the bytes given to the socket may stay unacknowledged, their number not
    // shrinking, before WhenDelivered takes the connection for broken.
    static constexpr std::chrono::milliseconds kDeliveryBound = std::chrono::minutes(10);

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

    // Sends the file from its position on; the caller keeps it alive until the send has
    // ended. Returns false and changes nothing while a send is running.
    bool SendStream(OutgoingFile& file);
    // One pass of pushing the file, until the socket would block, the file ends or
    // kPassSize bytes went (the rest then follows from the event loop); then OnSendProgress.
    // False when there is nothing to push or no connection.
    bool ContinueSend();

    // Runs the action, from now or from the event loop, once every byte given to the socket
    // so far has reached the peer: sent, and acknowledged by the peer's system. When their
    // number has not shrunk for the bound, the connection counts as broken: WSAETIMEDOUT is
    // reported and the connection closed. The action is dropped when the connection ends
    // first, and replaced by the next one asked for.
    void WhenDelivered(std::function<void()> action,
                       std::chrono::milliseconds bound = kDeliveryBound);

    // The next expectedSize received bytes go into the stream, which the socket owns from now
    // on, instead of OnData; no byte beyond them is read into it, and it is released and detached
    // in the read that completes it. An expected size of 0 takes nothing and keeps the stream
    // attached before.
    void SetReceiveStream(std::unique_ptr<IncomingStream> stream, std::int32_t expectedSize);

    // Acknowledges what was read at once rather than after the system's usual delay, for a peer
    // that waits for the acknowledgement before it sends on (see WhenDelivered).
    void AcknowledgeNow() { socket_.acknowledgeNow(); }

    // Some text given to SendText still waits for room in the socket.
    bool hasUnsentText() const { return !unsentText_.empty(); }
    bool IsSending() const { return send_ != nullptr; }
    bool IsReceiving() const { return receive_ != nullptr; }

    ClientEvent OnConnect;
    DataEvent OnData;
    // After every pass of pushing the send stream, and when the send ends.
    ClientEvent OnSendProgress;
    // Bytes went into the receive stream, or it was completed or dropped.
    ClientEvent OnReceiveProgress;

protected:
    void handleEvent(platform::StreamEvent event, int error) override;

private:
    // Whether no text waits to be sent any more.
    bool flushText();
    void readChunk();
    void releaseCompleteReceiveStream();
    void checkDelivery();

    std::string host_;
    OutgoingFile* send_ = nullptr;
    std::unique_ptr<IncomingStream> receive_;
    std::int32_t expectedSize_ = 0;
    std::string unsentText_;
    std::unique_ptr<char[]> buffer_;

    std::function<void()> delivered_;
    std::chrono::milliseconds deliveryBound_{};
    std::size_t leastUndelivered_ = 0;
    std::chrono::steady_clock::time_point lastDelivery_;
    QTimer deliveryPoll_;
};

} // namespace couriel
