#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Facts about this computer that the chat shows to others and the file exchange needs.
class HostInfo {
public:
    virtual ~HostInfo() = default;
    // The computer's name, at most 15 characters; "Error " and the error number when unknown.
    virtual std::string computerName() const = 0;
    // The logged-on user's name; "Error " and the error number when unknown.
    virtual std::string userName() const = 0;
    // The dotted IPv4 addresses of this computer, in the order the resolver gives them.
    virtual std::vector<std::string> addresses() const = 0;
    // The dotted address this computer sends from to reach the peer's IPv4 address (host byte
    // order): the one the peer can reach it at; nothing when no route leads there.
    virtual std::optional<std::string> addressToward(std::uint32_t peer) const = 0;
    // Free bytes on the file system that holds the path; nothing when it cannot be asked.
    virtual std::optional<std::uint64_t> freeBytes(const std::string& path) const = 0;
};

class SystemHostInfo final : public HostInfo {
public:
    std::string computerName() const override;
    std::string userName() const override;
    std::vector<std::string> addresses() const override;
    std::optional<std::string> addressToward(std::uint32_t peer) const override;
    std::optional<std::uint64_t> freeBytes(const std::string& path) const override;
};

} // namespace platform
