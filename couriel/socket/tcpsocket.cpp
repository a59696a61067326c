#include "couriel/socket/tcpsocket.h"

#include "platform/wsaerrors.h"

namespace couriel {

TcpSocket::TcpSocket(MessageEvent showMessage) : showMessage_(std::move(showMessage)) {}

TcpSocket::~TcpSocket() {
    // Closed before anything else goes, so that no event and no OnDisconnect comes from an
    // object being destroyed.
    socket_.close();
}

void TcpSocket::Disconnect() {
    if (!socket_.isOpen()) {
        return;
    }
    closeSocket();
    if (connected_) {
        connected_ = false;
        fire(OnDisconnect, *this);
    }
    active_ = false;
}

bool TcpSocket::check(int code) {
    if (code == 0 || code == platform::kWsaEWouldBlock) {
        return false;
    }
    report(code, socket_.handle());
    return true;
}

void TcpSocket::report(int code, int handle) {
    if (OnError) {
        fire(OnError, *this, code);
        return;
    }
    showMessage("Socket error " + std::string(platform::wsaErrorName(code)) + " on socket " +
                std::to_string(handle));
}

void TcpSocket::closeSocket() {
    if (!socket_.isOpen()) {
        return;
    }
    const int handle = socket_.handle();
    const int code = socket_.close();
    if (code != 0) {
        report(code, handle);
    }
}

void TcpSocket::watch(unsigned events) {
    socket_.watch(events,
                  [this](platform::StreamEvent event, int error) { onEvent(event, error); });
}

void TcpSocket::showMessage(std::string text) {
    if (!showMessage_) {
        return;
    }
    QMetaObject::invokeMethod(
        &context(), [show = showMessage_, text = std::move(text)] { show(text); },
        Qt::QueuedConnection);
}

void TcpSocket::onEvent(platform::StreamEvent event, int error) {
    ++eventDepth_;
    if (error != 0) {
        check(error);
        // A connection attempt that failed is abandoned.
        if (active_) {
            closeSocket();
        }
        active_ = false;
    }
    if (event == platform::StreamEvent::Close) {
        connected_ = false;
        active_ = false;
        fire(OnDisconnect, *this);
        closeSocket();
    }
    handleEvent(event, error);
    --eventDepth_;
}

} // namespace couriel
