#pragma once

#include "platform/stream.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

namespace couriel {

// A text for the user, shown by the window in a message box: a socket error nobody else
// handles, or a misuse. It comes from the event loop after the step that caused it, never from
// inside a socket operation, so a modal box cannot run socket events in the middle of one.
using MessageEvent = std::function<void(const std::string& text)>;

// The base of Couriel's socket objects: a non-blocking TCP socket whose events arrive on the
// event loop of the thread that made it. Every failed step goes through one check, which hands
// the Windows Sockets code to OnError when it is set and else shows
// "Socket error <name> on socket <handle>".
//
// An object must not be destroyed from inside one of its own events; a ServerClient is
// destroyed later by its server for that reason.
class TcpSocket {
public:
    using DisconnectEvent = std::function<void(TcpSocket& sender)>;
    using ErrorEvent = std::function<void(TcpSocket& sender, int code)>;

    virtual ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    void setPort(std::uint16_t port) { port_ = port; }
    std::uint16_t port() const { return port_; }

    // Closes the socket; fires OnDisconnect when it was connected.
    virtual void Disconnect();

    // An outgoing connection is being made.
    bool Active() const { return active_; }
    bool Connected() const { return connected_; }
    int handle() const { return socket_.handle(); }
    // The object is handling one of its events now.
    bool inEvent() const { return eventDepth_ > 0; }

    DisconnectEvent OnDisconnect;
    ErrorEvent OnError;

protected:
    explicit TcpSocket(MessageEvent showMessage);

    // Whether the step whose result is code failed. Would-block is no failure.
    bool check(int code);
    void closeSocket();
    void watch(unsigned events);
    void showMessage(std::string text);
    const MessageEvent& messageEvent() const { return showMessage_; }
    // Calls posted to it are dropped when the object goes.
    QObject& context() { return context_; }

    // The kind's own part of an event, after the part common to all kinds.
    virtual void handleEvent(platform::StreamEvent event, int error) = 0;

    template <class Event, class... Args> static void fire(const Event& event, Args&&... args) {
        if (event) {
            // A copy, since a handler may replace itself.
            const Event handler = event;
            handler(std::forward<Args>(args)...);
        }
    }

    platform::StreamSocket socket_;
    // Held while the socket and its streams are used. Everything runs on one thread; the lock
    // is re-entrant because the events it fires may call back into the object.
    std::recursive_mutex lock_;
    bool active_ = false;
    bool connected_ = false;

private:
    void report(int code, int handle);
    void onEvent(platform::StreamEvent event, int error);

    platform::SocketStartup startup_;
    MessageEvent showMessage_;
    QObject context_;
    std::uint16_t port_ = 0;
    int eventDepth_ = 0;
};

} // namespace couriel
