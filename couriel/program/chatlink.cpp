#include "couriel/program/chatlink.h"

#include "platform/messagechannel.h"

#include <algorithm>

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
        if (addressComplete_) {
            peerAddress_.clear();
            addressComplete_ = false;
        }
        peerAddress_.push_back(value);
    } else if (code == kAddressComplete) {
        addressComplete_ = true;
        if (onAddressComplete) {
            onAddressComplete();
        }
    }
}

std::string ChatLink::peerAddress() const {
    std::string text;
    for (const int part : peerAddress_) {
        text += (text.empty() ? "" : ".") + std::to_string(part);
    }
    return text;
}

bool ChatLink::peerAddressKnown() const {
    return peerAddress_.size() == 4 && peerAddress_[0] != 0 &&
           std::all_of(peerAddress_.begin(), peerAddress_.end(),
                       [](int part) { return part >= 0 && part <= 255; });
}

} // namespace couriel
