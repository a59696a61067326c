#pragma once

#include "natterby/protocol/chat.h"
#include "platform/messagechannel.h"

#include <functional>
#include <memory>
#include <string>

namespace natterby::session {

// The chat's end of the messages it exchanges with the file-exchange program: its notices
// (started, listening, over) come in here, and the receiver's address goes out from here.
class CourielEndpoint : public protocol::CourielLink {
public:
    using Notice = std::function<void(int code, int value)>;

    // folder: where the endpoints' sockets live. Without a usable one the chat has no endpoint,
    // sends go nowhere and no file exchange can report back.
    explicit CourielEndpoint(const std::string& folder);

    // Set before the event loop runs: the notices go to an object built after this one.
    void onNotice(Notice notice) { notice_ = std::move(notice); }
    // The number the file-exchange program is given to send its notices to; 0 without one.
    int number() const { return endpoint_ ? endpoint_->number() : 0; }

    void send(int window, int code, int value) override;

private:
    Notice notice_;
    std::unique_ptr<platform::MessageEndpoint> endpoint_;
};

} // namespace natterby::session
