#include "platform/hostinfo.h"

#include "platform/datagram.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kComputerNameLength = 15;

std::string errorText(int error) {
    return "Error " + std::to_string(error);
}

bool isLoopback(const in_addr& address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}

std::string dotted(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

void addUnique(std::vector<std::string>& list, const std::string& address) {
    if (std::find(list.begin(), list.end(), address) == list.end()) {
        list.push_back(address);
    }
}

// Many Linux systems map their own host name to 127.0.1.1, which no peer can reach; the
// addresses of the network interfaces stand in for it then.
std::vector<std::string> interfaceAddresses() {
    std::vector<std::string> result;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return result;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (!isLoopback(address->sin_addr)) {
            addUnique(result, dotted(address->sin_addr));
        }
    }
    freeifaddrs(list);
    return result;
}

} // namespace

std::string SystemHostInfo::computerName() const {
    std::string name = hostName();
    if (name.empty()) {
        return errorText(errno);
    }
    name = name.substr(0, name.find('.'));
    return name.substr(0, kComputerNameLength);
}

std::string SystemHostInfo::userName() const {
    const passwd* entry = getpwuid(geteuid());
    if (entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    return errorText(errno);
}

std::vector<std::string> SystemHostInfo::addresses() const {
    std::vector<std::string> resolved;
    std::vector<std::string> loopback;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const std::string name = hostName();
    if (!name.empty() && getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0) {
        for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            addUnique(isLoopback(address->sin_addr) ? loopback : resolved,
                      dotted(address->sin_addr));
        }
        freeaddrinfo(found);
    }
    if (resolved.empty()) {
        resolved = interfaceAddresses();
    }
    return resolved.empty() ? loopback : resolved;
}

std::optional<std::string> SystemHostInfo::addressToward(std::uint32_t peer) const {
    const std::optional<std::uint32_t> local = localAddressToward(peer);
    if (!local) {
        return std::nullopt;
    }
    in_addr address{};
    address.s_addr = htonl(*local);
    return dotted(address);
}

std::optional<std::uint64_t> SystemHostInfo::freeBytes(const std::string& path) const {
    struct statvfs info {};
    if (statvfs(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

} // namespace platform
