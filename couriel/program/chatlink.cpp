#include "couriel/program/chatlink.h"

#include "platform/messagechannel.h"

namespace couriel {

ChatLink::ChatLink(const std::string& folder, std::uint16_t chatWindow)
    : chatWindow_(chatWindow),
      endpoint_(folder.empty()
                    ? nullptr
                    : platform::MessageEndpoint::create(
                          [this](int code, int value) { handle(code, value); }, folder)) {}

ChatLink::~ChatLink() = default;

int ChatLink::ownWindow() const {
    return endpoint_ ? endpoint_->number() : 0;
}

void ChatLink::started() {
    notify(kNoticeStarted, ownWindow());
}

void ChatLink::listening() {
    notify(kNoticeListening, ownWindow());
}

void ChatLink::over() {
    notify(kNoticeOver, 0);
}

void ChatLink::notify(int code, int value) {
    if (endpoint_ && chatWindow_ != 0) {
        endpoint_->send(chatWindow_, code, value);
    }
}

void ChatLink::handle(int code, int value) {
    if (code == kAddressPart) {
        // The chat sends four parts; any further one is kept too, and the address it makes is
        // then refused when connecting.
        if (!peerAddress_.empty()) {
            peerAddress_ += '.';
        }
        peerAddress_ += std::to_string(value);
    } else if (code == kAddressComplete && onAddressComplete) {
        onAddressComplete();
    }
}

} // namespace couriel
