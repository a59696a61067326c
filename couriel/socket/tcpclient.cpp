#include "couriel/socket/tcpclient.h"

#include "platform/wsaerrors.h"

#include <algorithm>
#include <limits>

namespace couriel {

using platform::StreamEvent;

namespace {

// How often WhenDelivered looks at the socket's queue: often enough that a fast link loses
// nothing to it, seldom enough to cost nothing on a slow one.
constexpr std::chrono::milliseconds kDeliveryPoll{5};

} // namespace

TcpClient::TcpClient(MessageEvent showMessage)
    : TcpSocket(std::move(showMessage)),
      buffer_(std::make_unique_for_overwrite<char[]>(kReadSize)) {
    QObject::connect(&deliveryPoll_, &QTimer::timeout, [this] { checkDelivery(); });
}

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

bool TcpClient::SendStream(OutgoingFile& file) {
    if (send_ != nullptr) {
        return false;
    }
    send_ = &file;
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
        bool ended = false;
        for (std::size_t passed = 0;;) {
            const std::int64_t start = send_->position();
            const std::int64_t left = send_->size() - start;
            if (left <= 0) {
                ended = true;
                break;
            }
            const platform::StreamIo io =
                socket_.sendFile(send_->descriptor(), start,
                                 static_cast<std::size_t>(std::min<std::int64_t>(left, kPassSize)));
            if (io.error != 0) {
                if (check(io.error)) {
                    ended = true;
                } else {
                    // The rest goes when the socket can take more, from the first unsent byte.
                    send_->setPosition(start);
                }
                break;
            }
            if (io.size == 0) {
                // The file ended before its size: it is over all the same.
                ended = true;
                break;
            }
            send_->setPosition(start + static_cast<std::int64_t>(io.size));
            passed += io.size;
            if (send_->position() >= send_->size()) {
                ended = true;
                break;
            }
            if (passed >= kPassSize) {
                socket_.wantWrite();
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

void TcpClient::WhenDelivered(std::function<void()> action, std::chrono::milliseconds bound) {
    delivered_ = std::move(action);
    deliveryBound_ = bound;
    leastUndelivered_ = std::numeric_limits<std::size_t>::max();
    checkDelivery();
}

void TcpClient::checkDelivery() {
    std::size_t undelivered = 0;
    if (!delivered_ || !connected_ || !socket_.isOpen() ||
        socket_.unacknowledged(undelivered) != 0) {
        delivered_ = nullptr;
        deliveryPoll_.stop();
        return;
    }
    undelivered += unsentText_.size();
    if (undelivered == 0) {
        deliveryPoll_.stop();
        const std::function<void()> action = std::move(delivered_);
        delivered_ = nullptr;
        action();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (undelivered < leastUndelivered_) {
        leastUndelivered_ = undelivered;
        lastDelivery_ = now;
    } else if (now - lastDelivery_ >= deliveryBound_) {
        // The peer takes nothing any more, though its system still answers: as good as gone.
        delivered_ = nullptr;
        deliveryPoll_.stop();
        check(platform::kWsaETimedOut);
        Disconnect();
        return;
    }
    if (!deliveryPoll_.isActive()) {
        deliveryPoll_.start(kDeliveryPoll);
    }
}

void TcpClient::SetReceiveStream(std::unique_ptr<IncomingStream> stream,
                                 std::int32_t expectedSize) {
    if (expectedSize == 0) {
        return;
    }
    receive_ = std::move(stream);
    expectedSize_ = expectedSize;
}

void TcpClient::handleEvent(StreamEvent event, int error) {
    if (error != 0) {
        // A broken connection ends both streams, so that their owners learn of it.
        if (event != StreamEvent::Close) {
            return;
        }
        if (send_ != nullptr) {
            send_ = nullptr;
            fire(OnSendProgress, *this);
        }
        if (receive_) {
            receive_.reset();
            fire(OnReceiveProgress, *this);
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
    {
        const std::lock_guard guard(lock_);
        // A stream attached when it was already complete leaves the bytes to OnData.
        releaseCompleteReceiveStream();
        if (!socket_.isOpen() || !connected_) {
            return;
        }
        std::size_t count = kReadSize;
        if (receive_) {
            const std::int64_t missing = expectedSize_ - receive_->position();
            count = static_cast<std::size_t>(std::min<std::int64_t>(count, missing));
        }
        if (receive_ && receive_->descriptor() >= 0) {
            const platform::FileIo io =
                socket_.receiveIntoFile(receive_->descriptor(), receive_->position(), count);
            if (check(io.error) || io.taken == 0) {
                return;
            }
            receive_->received(io.taken, io.written);
            fire(OnReceiveProgress, *this);
        } else {
            const platform::StreamIo io = socket_.receive({buffer_.get(), count});
            if (check(io.error) || io.size == 0) {
                return;
            }
            if (receive_) {
                receive_->write({buffer_.get(), io.size});
                fire(OnReceiveProgress, *this);
            } else {
                fire(OnData, *this, std::string_view(buffer_.get(), io.size));
            }
        }
    }
    releaseCompleteReceiveStream();
}

void TcpClient::releaseCompleteReceiveStream() {
    if (receive_ && receive_->position() >= expectedSize_) {
        receive_.reset();
        fire(OnReceiveProgress, *this);
    }
}

} // namespace couriel
