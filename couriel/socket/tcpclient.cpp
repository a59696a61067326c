#include "couriel/socket/tcpclient.h"

#include "platform/wsaerrors.h"

namespace couriel {

using platform::StreamEvent;

TcpClient::TcpClient(MessageEvent showMessage) : TcpSocket(std::move(showMessage)) {}

TcpClient::~TcpClient() = default;

void TcpClient::Connect() {
    Disconnect();
    if (check(socket_.open())) {
        return;
    }
    watch(StreamEvent::Read | StreamEvent::Write | StreamEvent::Connect | StreamEvent::Close);
    const std::optional<std::uint32_t> address = platform::ipv4Address(host_);
    const bool started =
        address ? !check(socket_.connect(*address, port())) : !check(platform::kWsaEAddrNotAvail);
    active_ = started;
    if (!started) {
        closeSocket();
    }
}

void TcpClient::SendText(std::string_view text) {
    if (!socket_.isOpen()) {
        return;
    }
    unsentText_.append(text);
    flushText();
}

bool TcpClient::flushText() {
    while (!unsentText_.empty()) {
        const platform::StreamIo io = socket_.send(unsentText_);
        if (io.error == platform::kWsaEWouldBlock) {
            return false;
        }
        if (io.error != 0) {
            // As with any send on a broken connection, the text is lost; the connection's
            // own error report follows.
            unsentText_.clear();
            return true;
        }
        unsentText_.erase(0, io.size);
    }
    return true;
}

bool TcpClient::SendStream(Stream& stream) {
    if (send_ != nullptr) {
        return false;
    }
    send_ = &stream;
    return ContinueSend();
}

bool TcpClient::ContinueSend() {
    if (!connected_ || !socket_.isOpen() || send_ == nullptr) {
        return false;
    }
    {
        const std::lock_guard guard(lock_);
        // Texts sent before the stream go first.
        if (!flushText()) {
            return true;
        }
        std::array<char, kChunkSize> chunk;
        bool ended = false;
        for (;;) {
            const std::int64_t start = send_->position();
            const std::size_t count = send_->read(chunk);
            if (count == 0) {
                ended = true;
                break;
            }
            const platform::StreamIo io = socket_.send({chunk.data(), count});
            if (io.error != 0) {
                if (check(io.error)) {
                    ended = true;
                } else {
                    // The rest goes when the socket can take more, from the first unsent byte.
                    send_->setPosition(start);
                }
                break;
            }
            if (io.size < count) {
                send_->setPosition(start + static_cast<std::int64_t>(io.size));
                continue;
            }
            if (send_->position() >= send_->size()) {
                ended = true;
                break;
            }
        }
        if (ended) {
            send_ = nullptr;
        }
    }
    fire(OnSendProgress, *this);
    return true;
}

void TcpClient::handleEvent(StreamEvent event, int error) {
    if (error != 0) {
        // A broken connection ends the send, so that its owner learns of it.
        if (event == StreamEvent::Close && send_ != nullptr) {
            send_ = nullptr;
            fire(OnSendProgress, *this);
        }
        return;
    }
    switch (event) {
    case StreamEvent::Connect:
        connected_ = true;
        active_ = false;
        fire(OnConnect, *this);
        break;
    case StreamEvent::Write:
        if (send_ != nullptr) {
            ContinueSend();
        } else {
            flushText();
        }
        break;
    case StreamEvent::Read:
        readChunk();
        break;
    default:
        break;
    }
}

void TcpClient::readChunk() {
    const std::lock_guard guard(lock_);
    if (!socket_.isOpen() || !connected_) {
        return;
    }
    const platform::StreamIo io = socket_.receive(buffer_);
    if (check(io.error) || io.size == 0) {
        return;
    }
    fire(OnData, *this, std::string_view(buffer_.data(), io.size));
}

} // namespace couriel
