#pragma once

#include "platform/wsaerrors.h"

#include <string>

namespace natterby::transport {

// A failure of the IPX socket: the Windows Sockets code and its text.
struct ESocketError {
    std::string message;
    int code = 0;

    static ESocketError fromCode(int code) {
        return {std::string(platform::wsaErrorText(code)), code};
    }
    bool operator==(const ESocketError&) const = default;
};

} // namespace natterby::transport
