#include "couriel/socket/tcpserver.h"

#include <QTimer>
#include <algorithm>
#include <chrono>

namespace couriel {

using platform::StreamEvent;

namespace {

// How long a leaver that is still inside one of its events (a handler running a nested event
// loop) is given before the next attempt to destroy it.
constexpr std::chrono::milliseconds kLeaverRetry{10};

} // namespace

ServerClient::ServerClient(TcpServer& server, MessageEvent showMessage)
    : TcpClient(std::move(showMessage)), server_(&server) {}

void ServerClient::accepted(int handle, const std::string& address, std::uint16_t port) {
    socket_.adopt(handle);
    watch(StreamEvent::Read | StreamEvent::Write | StreamEvent::Close);
    setHost(address);
    setPort(port);
    connected_ = true;
    active_ = false;
}

void ServerClient::Connect() {
    showMessage("Can't connect ServerClient");
}

void ServerClient::Disconnect() {
    if (server_ != nullptr) {
        TcpServer* server = server_;
        server_ = nullptr;
        server->leave(*this);
    }
    TcpClient::Disconnect();
}

TcpServer::TcpServer(MessageEvent showMessage) : TcpSocket(std::move(showMessage)) {}

TcpServer::~TcpServer() {
    for (const auto& client : clients_) {
        client->server_ = nullptr;
    }
    clients_.clear();
    leavers_.clear();
}

void TcpServer::Listen() {
    if (socket_.isOpen()) {
        return;
    }
    if (check(socket_.open())) {
        return;
    }
    if (check(socket_.bind(0, port()))) {
        closeSocket();
        return;
    }
    watch(StreamEvent::Accept | StreamEvent::Close);
    if (check(socket_.listen(kBacklog))) {
        closeSocket();
    }
}

void TcpServer::Disconnect() {
    {
        const std::lock_guard guard(lock_);
        while (!clients_.empty()) {
            clients_.front()->Disconnect();
        }
    }
    TcpSocket::Disconnect();
}

void TcpServer::handleEvent(StreamEvent event, int error) {
    if (event == StreamEvent::Accept && error == 0) {
        accept();
    }
}

void TcpServer::accept() {
    const platform::AcceptedStream accepted = socket_.accept();
    if (check(accepted.error) || accepted.handle < 0) {
        return;
    }
    const std::string address = platform::dottedAddress(accepted.address);
    if (OnClientConnect && !OnClientConnect(address, accepted.port)) {
        platform::StreamSocket refused;
        refused.adopt(accepted.handle);
        return;
    }
    std::unique_ptr<ServerClient> client(new ServerClient(*this, messageEvent()));
    client->accepted(accepted.handle, address, accepted.port);
    client->OnDisconnect = OnClientDisconnect;
    client->OnData = OnClientData;
    client->OnReceiveProgress = OnClientReceiveProgress;
    clients_.push_back(std::move(client));
}

void TcpServer::leave(ServerClient& client) {
    {
        const std::lock_guard guard(lock_);
        const auto it = std::find_if(clients_.begin(), clients_.end(),
                                     [&](const auto& c) { return c.get() == &client; });
        if (it == clients_.end()) {
            return;
        }
        leavers_.push_back(std::move(*it));
        clients_.erase(it);
    }
    // The client is usually inside one of its own events now (a handler disconnected it), so
    // it is destroyed once that is over.
    QMetaObject::invokeMethod(
        &context(), [this] { destroyLeavers(); }, Qt::QueuedConnection);
}

void TcpServer::destroyLeavers() {
    std::erase_if(leavers_, [](const auto& client) { return !client->inEvent(); });
    if (!leavers_.empty()) {
        QTimer::singleShot(kLeaverRetry, &context(), [this] { destroyLeavers(); });
    }
}

} // namespace couriel
