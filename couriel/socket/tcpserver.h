#pragma once

#include "couriel/socket/tcpclient.h"

#include <memory>
#include <string>
#include <vector>

namespace couriel {

class TcpServer;

// One connection accepted by a TcpServer; it is born connected and cannot connect.
class ServerClient : public TcpClient {
public:
    // Shows "Can't connect ServerClient" and does nothing else.
    void Connect() override;
    // Leaves the server's list first; the server destroys the object once the event being
    // handled now is over.
    void Disconnect() override;

private:
    friend class TcpServer;
    ServerClient(TcpServer& server, MessageEvent showMessage);
    void accepted(int handle, const std::string& address, std::uint16_t port);

    TcpServer* server_;
};

// Listens on a port on every local address and makes a ServerClient for each connection,
// giving it the server's client events.
class TcpServer : public TcpSocket {
public:
    // Asked before a connection is taken; false closes it.
    using ClientConnectQuery = std::function<bool(const std::string& address, std::uint16_t port)>;

    static constexpr int kBacklog = 64;

    explicit TcpServer(MessageEvent showMessage);
    ~TcpServer() override;

    // Does nothing while listening.
    void Listen();
    // Disconnects every client first.
    void Disconnect() override;

    const std::vector<std::unique_ptr<ServerClient>>& clients() const { return clients_; }

    ClientConnectQuery OnClientConnect;
    DisconnectEvent OnClientDisconnect;
    TcpClient::DataEvent OnClientData;
    TcpClient::ClientEvent OnClientReceiveProgress;

protected:
    void handleEvent(platform::StreamEvent event, int error) override;

private:
    friend class ServerClient;
    void accept();
    void leave(ServerClient& client);
    void destroyLeavers();

    std::vector<std::unique_ptr<ServerClient>> clients_;
    // Clients that have left and wait to be destroyed.
    std::vector<std::unique_ptr<ServerClient>> leavers_;
};

} // namespace couriel
