#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class MessageEndpoint;
}

namespace couriel {

// The codes of the window messages between the chat and this program.
inline constexpr int kNoticeListening = 221; // value: this program's window
inline constexpr int kNoticeOver = 222;      // value: 0
inline constexpr int kAddressPart = 223;     // value: one number of the receiver's address
inline constexpr int kAddressComplete = 224; // value: unused
inline constexpr int kNoticeStarted = 225;   // value: this program's window

// This program's end of the messages with the chat that started it. Notices are sent
// synchronously: the chat has handled each before the call returns. Without an endpoint of its
// own (no usable folder) or without a chat window the notices are lost and nothing arrives,
// which leaves a sending copy waiting for an address that never comes.
class ChatLink {
public:
    ChatLink(const std::string& folder, std::uint16_t chatWindow);
    ~ChatLink();
    ChatLink(const ChatLink&) = delete;
    ChatLink& operator=(const ChatLink&) = delete;

    // The number the chat sends its messages to; 0 without an endpoint.
    int ownWindow() const;

    void started();
    void listening();
    void over();

    // The receiver's dotted address as far as the chat has sent it.
    std::string peerAddress() const;
    // Whether the address is one to connect to: four numbers from 0 to 255, the first not 0.
    // The chat passes an address it could not learn as 0.0.0.0, which would reach this very
    // computer; it never passes on a loopback address from the network.
    bool peerAddressKnown() const;

    // The chat has sent the whole address; the next part begins another one.
    std::function<void()> onAddressComplete;

private:
    void handle(int code, int value);
    void notify(int code, int value);

    std::uint16_t chatWindow_;
    std::vector<int> peerAddress_;
    bool addressComplete_ = false;
    std::unique_ptr<platform::MessageEndpoint> endpoint_;
};

} // namespace couriel
